// Kernel services of the POSIX platform layer: the subset of the Windows kernel
// and C runtime calls that the library makes, one line of contract per call.
#pragma once

#include <pthread.h>
#include <sys/stat.h>

#include "platform/posix/host.h"

#define MAX_PATH 260

// Error codes this layer reports through the last-error value.
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_GEN_FAILURE 31L
#define ERROR_SHARING_VIOLATION 32L
#define ERROR_NOT_SUPPORTED 50L
#define ERROR_FILE_EXISTS 80L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_DISK_FULL 112L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_FILENAME_EXCED_RANGE 206L

// Thread and wait results.
#define STILL_ACTIVE 259L
#define INFINITE 0xFFFFFFFFUL
#define WAIT_OBJECT_0 0UL
#define WAIT_TIMEOUT 258UL
#define WAIT_FAILED 0xFFFFFFFFUL
#define CREATE_SUSPENDED 0x4UL

// Loader notifications handed to DllMain.
#define DLL_PROCESS_DETACH 0UL
#define DLL_PROCESS_ATTACH 1UL

struct SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;
typedef DWORD(WINAPI* LPTHREAD_START_ROUTINE)(LPVOID);

// A recursive lock: the owning thread may enter it again and must leave it as often.
struct CRITICAL_SECTION {
    pthread_mutex_t mutex;
};
typedef CRITICAL_SECTION* LPCRITICAL_SECTION;

struct SYSTEMTIME {
    WORD wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
};
typedef SYSTEMTIME* LPSYSTEMTIME;

struct MEMORYSTATUS {
    DWORD dwLength;
    DWORD dwMemoryLoad;
    SIZE_T dwTotalPhys, dwAvailPhys, dwTotalPageFile, dwAvailPageFile, dwTotalVirtual, dwAvailVirtual;
};
typedef MEMORYSTATUS* LPMEMORYSTATUS;

struct MEMORYSTATUSEX {
    DWORD dwLength;
    DWORD dwMemoryLoad;
    DWORDLONG ullTotalPhys, ullAvailPhys, ullTotalPageFile, ullAvailPageFile;
    DWORDLONG ullTotalVirtual, ullAvailVirtual, ullAvailExtendedVirtual;
};
typedef MEMORYSTATUSEX* LPMEMORYSTATUSEX;

// glibc names the time fields of its own stat through macros that would rename
// these; its fields stay reachable as st_atim, st_mtim and st_ctim.
#undef st_atime
#undef st_mtime
#undef st_ctime

// File status as the runtime's _stat reports it: 32-bit size, seconds since 1970.
struct _stat {
    DWORD st_dev;
    WORD st_ino;
    WORD st_mode;
    short st_nlink;
    short st_uid;
    short st_gid;
    DWORD st_rdev;
    LONG st_size;
    LONGLONG st_atime;
    LONGLONG st_mtime;
    LONGLONG st_ctime;
};
#define _S_IFMT 0xF000
#define _S_IFDIR 0x4000
#define _S_IFCHR 0x2000
#define _S_IFREG 0x8000

extern "C" {
// Strings. Null arguments are tolerated: lstrlenA(NULL) is 0, lstrcpyA/lstrcatA
// return NULL, lstrcmpiA orders NULL before every string.
int WINAPI lstrlenA(LPCSTR s);
LPSTR WINAPI lstrcpyA(LPSTR dst, LPCSTR src);
LPSTR WINAPI lstrcatA(LPSTR dst, LPCSTR src);
// Case-insensitive comparison of ASCII letters; negative, 0 or positive.
int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b);

// Critical sections: recursive, owned by the entering thread.
void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION cs);
void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION cs);
void WINAPI EnterCriticalSection(LPCRITICAL_SECTION cs);
BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION cs);
void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION cs);

// Threads. A handle stays valid until CloseHandle, whether or not the thread has
// ended, and a closed handle value is never handed out again. The exit code
// reads STILL_ACTIVE until the start routine has returned. CREATE_SUSPENDED is
// not supported (ERROR_NOT_SUPPORTED).
HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                           LPVOID parameter, DWORD flags, LPDWORD threadId);
BOOL WINAPI GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
// WAIT_OBJECT_0 once the thread has ended, WAIT_TIMEOUT after `milliseconds`,
// WAIT_FAILED with ERROR_INVALID_HANDLE for a handle that is not open.
DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL WINAPI CloseHandle(HANDLE handle);
DWORD WINAPI GetCurrentThreadId(void);

// Time. The tick count is milliseconds of a monotonic clock, wrapping at 2^32.
void WINAPI Sleep(DWORD milliseconds);
DWORD WINAPI GetTickCount(void);
void WINAPI GetLocalTime(LPSYSTEMTIME time);

// Memory status of the machine and of this process's address space; dwLength
// must be set to the structure's size by the caller for the extended form.
BOOL WINAPI GlobalMemoryStatusEx(LPMEMORYSTATUSEX status);
void WINAPI GlobalMemoryStatus(LPMEMORYSTATUS status);

// Files. Paths may use '\' as separator. A directory is not deleted.
BOOL WINAPI DeleteFileA(LPCSTR path);
// 0 and the status on success; -1 with errno set otherwise (EOVERFLOW for
// files whose size does not fit 32 bits).
int _stat(const char* path, struct _stat* status);

// The limit of simultaneously open runtime files. Raising it raises the soft
// RLIMIT_NOFILE, never above the hard limit and never lowering it; the result is
// the new limit, or -1 when the hard limit is lower than asked (the soft limit is
// then raised to the hard limit).
int _setmaxstdio(int count);
int _getmaxstdio(void);
}

// The library's load hook, defined by the library: the POSIX loader calls it with
// DLL_PROCESS_ATTACH when the library is loaded and DLL_PROCESS_DETACH when it is
// unloaded, as the Windows loader does.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
