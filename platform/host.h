// The platform declarations that the library's public headers and a host need:
// the interface's 32-bit types, the last-error value and the runtime's SEEK_*
// origins. On Windows these are the system's own headers.
#pragma once

#include <cstdio>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include "platform/posix/host.h"
#endif
