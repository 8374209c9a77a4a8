// Module resources of the POSIX platform layer: PE files opened as data files,
// their resource directory, and the fixed part of their version information.
// Every offset a file gives is checked against the file before it is read, so a
// corrupt or hostile file is refused or finds nothing; it is never read out of
// bounds and never makes a lookup loop.
#pragma once

#include "platform/posix/host.h"

// Error codes of module and resource lookups. ERROR_FILE_INVALID is an empty
// file, which Windows refuses to map.
#define ERROR_BAD_EXE_FORMAT 193L
#define ERROR_FILE_INVALID 1006L
#define ERROR_RESOURCE_DATA_NOT_FOUND 1812L
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#define ERROR_RESOURCE_LANG_NOT_FOUND 1815L

// A resource type or name is a string or a 16-bit id carried in the pointer.
#define MAKEINTRESOURCEA(i) ((LPSTR)(ULONG_PTR)(WORD)(i))
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)
#define RT_VERSION MAKEINTRESOURCEA(16)

struct HRSRC__;
typedef HRSRC__* HRSRC;
typedef HANDLE HGLOBAL;
typedef UINT* PUINT;

// The fixed part of a version resource; dwSignature is 0xFEEF04BD.
struct VS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};

extern "C" {
// LoadLibraryExA and FreeLibrary, which hosts call too, are in host.h.

// Finds a resource by type and name, each a string (compared as upper-case
// ASCII against the upper-case names in the file), "#id", or MAKEINTRESOURCEA(id);
// the first language entry is taken. A NULL module means the program itself,
// which has no resources here (ERROR_RESOURCE_DATA_NOT_FOUND).
HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
// The resource's size in bytes; 0 with ERROR_INVALID_HANDLE for a resource
// handle that this module did not give out.
DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource);
// The resource's bytes inside the module, valid until FreeLibrary; NULL with
// ERROR_INVALID_HANDLE for a resource handle that this module did not give out.
HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource);
// The address of the loaded resource's first byte.
LPVOID WINAPI LockResource(HGLOBAL data);

// Version information: the file's RT_VERSION resource id 1. The size is that
// of the resource; GetFileVersionInfoA refuses a smaller buffer with
// ERROR_INSUFFICIENT_BUFFER rather than hand back a cut block, and `handle` is
// ignored (GetFileVersionInfoSizeA sets it to 0).
DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR path, LPDWORD handle);
BOOL WINAPI GetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, LPVOID data);
// Only the root block "\" is answered: a pointer to the VS_FIXEDFILEINFO inside
// `block` and its size. Every other sub-block is FALSE.
BOOL WINAPI VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, PUINT length);
}
