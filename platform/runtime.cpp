#include "platform/runtime.h"

#include <cerrno>
#include <mutex>
#include <new>
#include <unordered_map>

#include "platform/fault.h"

#ifdef _WIN32
#include <sys/stat.h>
#else
#include <stdio_ext.h>
#include <sys/stat.h>
#endif

namespace quor::rt {

namespace {

// Each file gets a buffer of 32 KiB instead of the runtime's 4 KiB: a stream
// that reads ahead and seeks back (the line reader does, 1 KiB at a time)
// then rarely lands outside what is buffered. The buffers are the library's
// own, kept by file until the file is closed.
constexpr size_t kBufferBytes = 32 * 1024;

std::mutex g_buffersMutex;
std::unordered_map<FILE*, char*>* g_buffers = nullptr;  // guarded by g_buffersMutex

void GiveBuffer(FILE* file) noexcept {
    char* buffer = new (std::nothrow) char[kBufferBytes];
    if (buffer == nullptr) return;
    try {
        std::lock_guard<std::mutex> guard(g_buffersMutex);
        if (g_buffers == nullptr) g_buffers = new std::unordered_map<FILE*, char*>;
        if (std::setvbuf(file, buffer, _IOFBF, kBufferBytes) != 0) {
            delete[] buffer;
            return;
        }
        (*g_buffers)[file] = buffer;
    } catch (...) {
        // Without a map entry the buffer could not be freed: take the runtime's own.
        std::setvbuf(file, nullptr, _IOFBF, BUFSIZ);
        delete[] buffer;
    }
}

char* TakeBuffer(FILE* file) noexcept {
    std::lock_guard<std::mutex> guard(g_buffersMutex);
    if (g_buffers == nullptr) return nullptr;
    auto it = g_buffers->find(file);
    if (it == g_buffers->end()) return nullptr;
    char* buffer = it->second;
    g_buffers->erase(it);
    return buffer;
}

}  // namespace

using fault::Hit;
using fault::Site;

FILE* Open(const char* path, const char* mode) noexcept {
    if (Hit(Site::FileOpen)) {
        errno = EMFILE;
        return nullptr;
    }
    FILE* file = std::fopen(path, mode);
#ifndef _WIN32
    // glibc opens a directory for reading; the Windows runtime refuses it.
    struct stat status;
    if (file != nullptr && fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode)) {
        std::fclose(file);
        errno = EISDIR;
        return nullptr;
    }
#endif
    if (file != nullptr) GiveBuffer(file);
    return file;
}

int Close(FILE* file) noexcept {
    char* buffer = TakeBuffer(file);
    const int result = std::fclose(file);
    delete[] buffer;  // only once the runtime has let go of it
    return result;
}

void Discard(FILE* file) noexcept {
#ifdef _WIN32
    // What the Windows runtime itself does to its buffer when a flush fails.
    file->_ptr = file->_base;
    file->_cnt = 0;
    if (file->_flag & _IORW) file->_flag &= ~_IOWRT;
#else
    __fpurge(file);
#endif
    std::clearerr(file);
}

#ifdef __GLIBC__
namespace {

// The position of the next byte, as glibc's buffer tells it without a call:
// the kernel offset of the buffer's end less what is still unread. Only for a
// file with no unflushed output, whose offset glibc knows.
bool BufferedPosition(FILE* file, int64_t& position) noexcept {
    if (file->_offset < 0 || file->_IO_read_base == nullptr || file->_IO_write_ptr != file->_IO_write_base)
        return false;
    position = file->_offset - (file->_IO_read_end - file->_IO_read_ptr);
    return true;
}

// A seek to a byte that is still in the read buffer only moves glibc's read
// pointer, as fseek itself would, minus the system call fseek makes to
// re-synchronise the kernel's file offset: streams re-read their position
// after every seek, and the line reader seeks back after each line.
bool SeekWithinReadBuffer(FILE* file, int64_t offset, int origin) noexcept {
    if (origin != SEEK_SET && origin != SEEK_CUR) return false;
    if (file->_IO_read_base == nullptr || file->_IO_write_ptr != file->_IO_write_base) return false;
    int64_t delta = offset;
    if (origin == SEEK_SET) {
        int64_t now = 0;
        if (!BufferedPosition(file, now)) return false;
        delta = offset - now;
    }
    const int64_t behind = file->_IO_read_ptr - file->_IO_read_base;
    const int64_t ahead = file->_IO_read_end - file->_IO_read_ptr;
    if (delta < -behind || delta > ahead) return false;
    file->_IO_read_ptr += delta;
    file->_flags &= ~_IO_EOF_SEEN;  // as fseek clears the end-of-file mark
    return true;
}

// Before an absolute seek out of the buffer, the get area is emptied: glibc
// then reads exactly up to the target and refills from the target itself,
// instead of from the start of an aligned block that ends just after it (a
// reader that reads ahead across a block's end and seeks back would otherwise
// re-read that block for every line near its end).
int SeekEmptyingTheBuffer(FILE* file, int64_t offset) noexcept {
    char* const base = file->_IO_read_base;
    char* const next = file->_IO_read_ptr;
    const bool empties = base != nullptr && file->_IO_write_ptr == file->_IO_write_base;
    if (empties) {
        file->_IO_read_base = file->_IO_read_end;
        file->_IO_read_ptr = file->_IO_read_end;
    }
    const int result = fseeko(file, static_cast<off_t>(offset), SEEK_SET);
    if (result != 0 && empties) {
        // A failed seek leaves the file where it was.
        file->_IO_read_base = base;
        file->_IO_read_ptr = next;
    }
    return result;
}

}  // namespace
#endif

int Seek(FILE* file, int64_t offset, int origin) noexcept {
#ifdef _WIN32
    return _fseeki64(file, offset, origin);
#else
#ifdef __GLIBC__
    if (SeekWithinReadBuffer(file, offset, origin)) return 0;
    if (origin == SEEK_SET && offset >= 0) return SeekEmptyingTheBuffer(file, offset);
#endif
    return fseeko(file, static_cast<off_t>(offset), origin);
#endif
}

int64_t Tell(FILE* file) noexcept {
#ifdef _WIN32
    return _ftelli64(file);
#else
#ifdef __GLIBC__
    int64_t position = 0;
    if (BufferedPosition(file, position)) return position;
#endif
    return ftello(file);
#endif
}

bool IsWritable(FILE* file) noexcept {
#ifdef _WIN32
    return (file->_flag & (_IOWRT | _IORW)) != 0;
#else
    return __fwritable(file) != 0;
#endif
}

}  // namespace quor::rt
