#include "platform/posix/errors.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/posix/kernel.h"

namespace quor::posix {

DWORD ErrorFromErrno(int error) noexcept {
    switch (error) {
        case 0:
            return ERROR_SUCCESS;
        case ENOENT:
            return ERROR_FILE_NOT_FOUND;
        case ENOTDIR:
            return ERROR_PATH_NOT_FOUND;
        case EACCES:
            return ERROR_ACCESS_DENIED;
        case EPERM:
            return ERROR_ACCESS_DENIED;
        case EISDIR:
            return ERROR_ACCESS_DENIED;
        case EROFS:
            return ERROR_ACCESS_DENIED;
        case EBADF:
            return ERROR_INVALID_HANDLE;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        case EAGAIN:
            return ERROR_NOT_ENOUGH_MEMORY;
        case EBUSY:
            return ERROR_SHARING_VIOLATION;
        case EEXIST:
            return ERROR_ALREADY_EXISTS;
        case EINVAL:
            return ERROR_INVALID_PARAMETER;
        case ENOSPC:
            return ERROR_DISK_FULL;
        case ENAMETOOLONG:
            return ERROR_FILENAME_EXCED_RANGE;
        case ENOTSUP:
            return ERROR_NOT_SUPPORTED;
        default:
            return ERROR_GEN_FAILURE;
    }
}

DWORD MissingFileError(const std::string& path) noexcept {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return ERROR_FILE_NOT_FOUND;
    std::string parent;
    try {
        parent = path.substr(0, slash);
    } catch (...) {
        return ERROR_FILE_NOT_FOUND;
    }
    struct stat status;
    return stat(parent.c_str(), &status) == 0 ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

BOOL FailWithErrno(int error) noexcept {
    SetLastError(ErrorFromErrno(error));
    return FALSE;
}

}  // namespace quor::posix
