#include "platform/runtime.h"

#include <cerrno>

#include "platform/fault.h"

#ifdef _WIN32
#include <sys/stat.h>
#else
#include <stdio_ext.h>
#include <sys/stat.h>
#endif

namespace quor::rt {

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
    return file;
}

int Close(FILE* file) noexcept { return std::fclose(file); }

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

int Seek(FILE* file, int64_t offset, int origin) noexcept {
#ifdef _WIN32
    return _fseeki64(file, offset, origin);
#else
    return fseeko(file, static_cast<off_t>(offset), origin);
#endif
}

int64_t Tell(FILE* file) noexcept {
#ifdef _WIN32
    return _ftelli64(file);
#else
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
