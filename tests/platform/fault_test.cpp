#include <gtest/gtest.h>

#include "platform/alloc.h"
#include "platform/fault.h"
#include "platform/win32.h"
#include "tests/support/fault_guard.h"

namespace {

using quor::fault::Site;

using quor::test::FaultGuard;

TEST(Fault, FailsExactlyTheArmedCall) {
    FaultGuard guard;
    quor::fault::FailNth(Site::Alloc, 2);
    int* first = quor::NewObject<int>(1);
    EXPECT_NE(first, nullptr);
    EXPECT_FALSE(quor::fault::Fired(Site::Alloc));
    EXPECT_EQ(quor::NewObject<int>(2), nullptr);
    EXPECT_TRUE(quor::fault::Fired(Site::Alloc));
    int* third = quor::NewObject<int>(3);
    EXPECT_NE(third, nullptr);
    delete first;
    delete third;
}

DWORD WINAPI Nothing(LPVOID) { return 0; }

TEST(Fault, MakesThreadCreationFail) {
    if (!quor::platform::kPosixLayer) GTEST_SKIP() << "thread creation is the system's";
    FaultGuard guard;
    quor::fault::FailNth(Site::ThreadCreate, 1);
    SetLastError(0);
    EXPECT_EQ(CreateThread(nullptr, 0, Nothing, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_ENOUGH_MEMORY));
    HANDLE thread = CreateThread(nullptr, 0, Nothing, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

}  // namespace
