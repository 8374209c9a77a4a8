#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>

#include "platform/posix/errors.h"
#include "platform/posix/kernel.h"
#include "platform/posix/paths.h"

extern "C" {

BOOL WINAPI DeleteFileA(LPCSTR path) {
    std::string native;
    if (path == nullptr || *path == '\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (!quor::posix::NativePath(path, native)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    struct stat status;
    if (stat(native.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (unlink(native.c_str()) == 0) return TRUE;
    if (errno == ENOENT) {
        SetLastError(quor::posix::MissingFileError(native));
        return FALSE;
    }
    return quor::posix::FailWithErrno(errno);
}

int _stat(const char* path, struct _stat* out) {
    std::string native;
    if (path == nullptr || out == nullptr) {
        errno = EINVAL;
        return -1;
    }
    if (!quor::posix::NativePath(path, native)) {
        errno = ENOMEM;
        return -1;
    }
    struct stat status;
    if (stat(native.c_str(), &status) != 0) return -1;
    if (status.st_size > INT32_MAX) {
        errno = EOVERFLOW;
        return -1;
    }
    out->st_dev = static_cast<DWORD>(status.st_dev);
    out->st_ino = static_cast<WORD>(status.st_ino);
    WORD mode = static_cast<WORD>(status.st_mode & 0777);
    if (S_ISDIR(status.st_mode))
        mode |= _S_IFDIR;
    else if (S_ISREG(status.st_mode))
        mode |= _S_IFREG;
    else if (S_ISCHR(status.st_mode))
        mode |= _S_IFCHR;
    out->st_mode = mode;
    out->st_nlink = static_cast<short>(status.st_nlink);
    out->st_uid = static_cast<short>(status.st_uid);
    out->st_gid = static_cast<short>(status.st_gid);
    out->st_rdev = static_cast<DWORD>(status.st_rdev);
    out->st_size = static_cast<LONG>(status.st_size);
    out->st_atime = status.st_atim.tv_sec;
    out->st_mtime = status.st_mtim.tv_sec;
    out->st_ctime = status.st_ctim.tv_sec;
    return 0;
}

int _setmaxstdio(int count) {
    rlimit limit{};
    if (count <= 0 || getrlimit(RLIMIT_NOFILE, &limit) != 0) return -1;
    const rlim_t wanted = static_cast<rlim_t>(count);
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur >= wanted) return count;
    const bool fits = limit.rlim_max == RLIM_INFINITY || limit.rlim_max >= wanted;
    if (limit.rlim_cur == RLIM_INFINITY) return count;
    limit.rlim_cur = fits ? wanted : limit.rlim_max;
    if (setrlimit(RLIMIT_NOFILE, &limit) != 0) return -1;
    return fits ? count : -1;
}

int _getmaxstdio(void) {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return -1;
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > INT_MAX) return INT_MAX;
    return static_cast<int>(limit.rlim_cur);
}
}
