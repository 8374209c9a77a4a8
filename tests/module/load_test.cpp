#include <gtest/gtest.h>

#include "module/dll_main.h"
#include "platform/win32.h"

namespace {

TEST(Module, LoadRaisesTheOpenFileLimit) {
    // The library's own loader hook, called as the system loader calls it.
    ASSERT_TRUE(DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr));
    if (_setmaxstdio(quor::kOpenFileLimit) == -1) GTEST_SKIP() << "the system's hard limit is below 2048";
    EXPECT_GE(_getmaxstdio(), quor::kOpenFileLimit);
    EXPECT_TRUE(DllMain(nullptr, DLL_PROCESS_DETACH, nullptr));
}

}  // namespace
