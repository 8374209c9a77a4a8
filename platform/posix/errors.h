// errno to Windows error codes, mapped in one place for the whole layer.
#pragma once

#include "platform/posix/types.h"

namespace quor::posix {

DWORD ErrorFromErrno(int error) noexcept;

// Sets the last-error value from errno (or from `error`) and returns FALSE.
BOOL FailWithErrno(int error) noexcept;

}  // namespace quor::posix
