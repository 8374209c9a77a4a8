// The part of the POSIX platform layer that a host sees through <quor.h>:
// the types of the interface and the calls that the library exports for hosts.
#pragma once

#include "platform/posix/types.h"

#define ERROR_SUCCESS 0L

extern "C" {
// The calling thread's last-error value; each thread has its own, starting at 0.
QUOR_PLATFORM_API DWORD WINAPI GetLastError(void);
QUOR_PLATFORM_API void WINAPI SetLastError(DWORD code);
}
