// errno to Windows error codes, mapped in one place for the whole layer.
#pragma once

#include <string>

#include "platform/posix/types.h"

namespace quor::posix {

DWORD ErrorFromErrno(int error) noexcept;

// The error for a path that does not exist, as Windows opens files: a file
// whose directory is missing is ERROR_PATH_NOT_FOUND, otherwise
// ERROR_FILE_NOT_FOUND. `path` is a native path.
DWORD MissingFileError(const std::string& path) noexcept;

// Sets the last-error value from errno (or from `error`) and returns FALSE.
BOOL FailWithErrno(int error) noexcept;

}  // namespace quor::posix
