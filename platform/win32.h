// The one include for platform calls. On Windows it is the system's headers; on
// POSIX the layer in platform/posix/ declares the same subset of the Windows API
// and C runtime that the library uses.
#pragma once

#include "platform/host.h"

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#else
#include "platform/posix/kernel.h"
#include "platform/posix/resources.h"
#endif

namespace quor::platform {
// True where the platform calls are this library's own POSIX layer rather than
// the system's (tests use it for properties that only the layer promises).
#ifdef _WIN32
constexpr bool kPosixLayer = false;
#else
constexpr bool kPosixLayer = true;
#endif
}  // namespace quor::platform
