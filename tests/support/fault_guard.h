// Disarms every injected failure when a test's scope ends, pass or fail.
#pragma once

#include "platform/fault.h"

namespace quor::test {

struct FaultGuard {
    FaultGuard() = default;
    FaultGuard(const FaultGuard&) = delete;
    FaultGuard& operator=(const FaultGuard&) = delete;
    ~FaultGuard() { quor::fault::Reset(); }
};

}  // namespace quor::test
