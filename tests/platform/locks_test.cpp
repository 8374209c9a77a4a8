#include <gtest/gtest.h>

#include <atomic>

#include "platform/win32.h"

namespace {

struct Shared {
    CRITICAL_SECTION lock;
    long counter = 0;
    std::atomic<int> tryResult{-1};
};

DWORD WINAPI TryFromOtherThread(LPVOID p) {
    auto* s = static_cast<Shared*>(p);
    const BOOL got = TryEnterCriticalSection(&s->lock);
    if (got) LeaveCriticalSection(&s->lock);
    s->tryResult = got;
    return 0;
}

DWORD WINAPI CountUnderLock(LPVOID p) {
    auto* s = static_cast<Shared*>(p);
    for (int i = 0; i < 20000; ++i) {
        EnterCriticalSection(&s->lock);
        ++s->counter;
        LeaveCriticalSection(&s->lock);
    }
    return 0;
}

TEST(CriticalSection, IsRecursiveAndExcludesOtherThreads) {
    Shared shared;
    InitializeCriticalSection(&shared.lock);
    EnterCriticalSection(&shared.lock);
    EnterCriticalSection(&shared.lock);  // the owner may enter again
    HANDLE probe = CreateThread(nullptr, 0, TryFromOtherThread, &shared, 0, nullptr);
    ASSERT_NE(probe, nullptr);
    WaitForSingleObject(probe, INFINITE);
    CloseHandle(probe);
    EXPECT_EQ(shared.tryResult, 0);
    LeaveCriticalSection(&shared.lock);
    LeaveCriticalSection(&shared.lock);
    DeleteCriticalSection(&shared.lock);
}

TEST(CriticalSection, SerialisesIncrements) {
    Shared shared;
    InitializeCriticalSection(&shared.lock);
    auto work = CountUnderLock;
    HANDLE a = CreateThread(nullptr, 0, work, &shared, 0, nullptr);
    HANDLE b = CreateThread(nullptr, 0, work, &shared, 0, nullptr);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    WaitForSingleObject(a, INFINITE);
    WaitForSingleObject(b, INFINITE);
    CloseHandle(a);
    CloseHandle(b);
    EXPECT_EQ(shared.counter, 40000);
    DeleteCriticalSection(&shared.lock);
}

}  // namespace
