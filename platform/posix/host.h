// The part of the POSIX platform layer that a host sees through <quor.h>:
// the types of the interface and the calls that the library exports for hosts:
// the last-error value and resource modules (the rest of the resource calls
// are in resources.h).
#pragma once

#include "platform/posix/types.h"

#define ERROR_SUCCESS 0L

// The ways LoadLibraryExA opens a file; only data-file loads are supported.
#define LOAD_LIBRARY_AS_DATAFILE 0x00000002UL
#define LOAD_LIBRARY_AS_IMAGE_RESOURCE 0x00000020UL
#define LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE 0x00000040UL

extern "C" {
// The calling thread's last-error value; each thread has its own, starting at 0.
QUOR_PLATFORM_API DWORD WINAPI GetLastError(void);
QUOR_PLATFORM_API void WINAPI SetLastError(DWORD code);

// Opens a PE file (PE32 or PE32+) as a data file: `flags` holds
// LOAD_LIBRARY_AS_DATAFILE or LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE, optionally
// with LOAD_LIBRARY_AS_IMAGE_RESOURCE; anything else is ERROR_NOT_SUPPORTED and
// `file` must be NULL. A file that is not a PE is ERROR_BAD_EXE_FORMAT; one
// without a resource directory loads and finds nothing. Handle values are
// never handed out twice.
QUOR_PLATFORM_API HMODULE WINAPI LoadLibraryExA(LPCSTR path, HANDLE file, DWORD flags);
// Closes the module; its resources' handles and data go with it.
QUOR_PLATFORM_API BOOL WINAPI FreeLibrary(HMODULE module);
}
