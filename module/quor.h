// quor: the library's public interface. A host includes this header only.
#pragma once

#include "module/export.h"
#include "platform/host.h"
#include "riff/riff.h"
#include "streams/error_codes.h"
#include "streams/file_obj.h"
#include "streams/mem_obj.h"
#include "streams/ref_obj.h"
