// The runtime's buffered files as the streams use them, with the seam for
// injected failures and the few calls whose portable form is not enough: 64-bit
// positions, the read/write switch of update-mode files, and dropping bytes
// that a failed flush left buffered.
#pragma once

#include <cstdint>
#include <cstdio>

namespace quor::rt {

// fopen in binary mode; a directory is refused on every platform.
FILE* Open(const char* path, const char* mode) noexcept;
int Close(FILE* file) noexcept;
size_t Read(void* buffer, size_t count, FILE* file) noexcept;
// Writes after switching an update-mode file from reading to writing.
size_t Write(const void* buffer, size_t count, FILE* file) noexcept;
// True when every buffered byte reached the operating system.
bool Flush(FILE* file) noexcept;
// Drops bytes still buffered after a failed flush, and clears the error state.
void Discard(FILE* file) noexcept;
// 0 on success, as fseek; positions are 64-bit on every platform.
int Seek(FILE* file, int64_t offset, int origin) noexcept;
int64_t Tell(FILE* file) noexcept;
// Whether the file was opened with a mode that allows writing.
bool IsWritable(FILE* file) noexcept;

}  // namespace quor::rt
