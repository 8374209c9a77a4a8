// The runtime's buffered files as the streams use them, with the seam for
// injected failures and the few calls whose portable form is not enough: 64-bit
// positions, the read/write switch of update-mode files, and dropping bytes
// that a failed flush left buffered.
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/fault.h"

namespace quor::rt {

// fopen in binary mode; a directory is refused on every platform.
FILE* Open(const char* path, const char* mode) noexcept;
int Close(FILE* file) noexcept;

// Reads, writes and flushes skip the runtime's per-file lock where it has that
// form: a stream is used by one thread at a time. A write switches an
// update-mode file from reading to writing first.
inline size_t Read(void* buffer, size_t count, FILE* file) noexcept {
    if (fault::Hit(fault::Site::FileRead)) return 0;
#ifdef _WIN32
    return std::fread(buffer, 1, count, file);
#else
    return fread_unlocked(buffer, 1, count, file);
#endif
}

inline size_t Write(const void* buffer, size_t count, FILE* file) noexcept {
    if (fault::Hit(fault::Site::FileWrite)) return 0;
#ifdef _WIN32
    // The Windows runtime needs a positioning call between input and output on
    // an update-mode file; glibc makes the switch by itself.
    if (file->_flag & _IOREAD) _fseeki64(file, 0, SEEK_CUR);
    return std::fwrite(buffer, 1, count, file);
#else
    return fwrite_unlocked(buffer, 1, count, file);
#endif
}

// True when every buffered byte reached the operating system.
inline bool Flush(FILE* file) noexcept {
    if (fault::Hit(fault::Site::FileFlush)) return false;
#ifdef _WIN32
    return std::fflush(file) == 0;
#else
    return fflush_unlocked(file) == 0;
#endif
}
// Drops bytes still buffered after a failed flush, and clears the error state.
void Discard(FILE* file) noexcept;
// 0 on success, as fseek; positions are 64-bit on every platform.
int Seek(FILE* file, int64_t offset, int origin) noexcept;
int64_t Tell(FILE* file) noexcept;
// Whether the file was opened with a mode that allows writing.
bool IsWritable(FILE* file) noexcept;

}  // namespace quor::rt
