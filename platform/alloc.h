// Non-throwing allocation for library code: a failure (real or injected) is a
// null result, never an exception across the interface.
#pragma once

#include <cstddef>
#include <new>
#include <utility>

#include "platform/fault.h"

namespace quor {

template <class T, class... Args>
T* NewObject(Args&&... args) noexcept {
    if (fault::Hit(fault::Site::Alloc)) return nullptr;
    return new (std::nothrow) T(std::forward<Args>(args)...);
}

template <class T>
T* NewArray(std::size_t count) noexcept {
    if (fault::Hit(fault::Site::Alloc)) return nullptr;
    return new (std::nothrow) T[count];
}

}  // namespace quor
