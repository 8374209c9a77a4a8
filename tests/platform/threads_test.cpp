#include <gtest/gtest.h>

#include <atomic>
#include <set>

#include "platform/win32.h"

namespace {

// A thread that runs until released, then returns its exit code.
struct Gate {
    std::atomic<bool> started{false};
    std::atomic<bool> release{false};
    DWORD exitCode = 0;
};

DWORD WINAPI GatedThread(LPVOID parameter) {
    auto* gate = static_cast<Gate*>(parameter);
    gate->started = true;
    while (!gate->release) Sleep(1);
    return gate->exitCode;
}

DWORD WINAPI ReturnParameter(LPVOID parameter) { return static_cast<DWORD>(reinterpret_cast<uintptr_t>(parameter)); }

DWORD WINAPI ReportInitialLastError(LPVOID) {
    const DWORD initial = GetLastError();
    SetLastError(99);
    return initial;
}

TEST(Threads, ExitCodeIsStillActiveUntilTheThreadReturns) {
    Gate gate;
    gate.exitCode = 42;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, GatedThread, &gate, 0, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    while (!gate.started) Sleep(1);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, DWORD(STILL_ACTIVE));
    EXPECT_EQ(WaitForSingleObject(thread, 10), DWORD(WAIT_TIMEOUT));
    gate.release = true;
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), DWORD(WAIT_OBJECT_0));
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    // The handle stays valid after the thread has ended, until it is closed.
    EXPECT_EQ(WaitForSingleObject(thread, 0), DWORD(WAIT_OBJECT_0));
    EXPECT_TRUE(CloseHandle(thread));
}

std::atomic<int> g_gatedThreadsEnded{0};

// Runs until released, then frees its own gate: nothing outlives the thread.
DWORD WINAPI GatedThreadOwningItsGate(LPVOID parameter) {
    auto* gate = static_cast<Gate*>(parameter);
    GatedThread(gate);
    delete gate;
    g_gatedThreadsEnded.fetch_add(1);
    return 0;
}

TEST(Threads, ClosingTheHandleLetsTheThreadRunOn) {
    auto* gate = new Gate;
    const int endedBefore = g_gatedThreadsEnded.load();
    HANDLE thread = CreateThread(nullptr, 0, GatedThreadOwningItsGate, gate, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    while (!gate->started) Sleep(1);
    EXPECT_TRUE(CloseHandle(thread));
    gate->release = true;
    // The thread still runs to its end, with no handle left to wait on.
    while (g_gatedThreadsEnded.load() == endedBefore) Sleep(1);
}

TEST(Threads, ClosedHandleIsRefused) {
    HANDLE thread = CreateThread(nullptr, 0, ReturnParameter, reinterpret_cast<LPVOID>(7), 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, INFINITE), DWORD(WAIT_OBJECT_0));
    ASSERT_TRUE(CloseHandle(thread));
    SetLastError(0);
    EXPECT_EQ(WaitForSingleObject(thread, 0), DWORD(WAIT_FAILED));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    DWORD code = 0;
    EXPECT_FALSE(GetExitCodeThread(thread, &code));
    EXPECT_FALSE(CloseHandle(thread));
}

TEST(Threads, HandleValuesAreNeverHandedOutTwice) {
    if (!quor::platform::kPosixLayer) GTEST_SKIP() << "the system reuses closed handle values";
    std::set<HANDLE> seen;
    for (int i = 0; i < 64; ++i) {
        HANDLE thread = CreateThread(nullptr, 0, ReturnParameter, reinterpret_cast<LPVOID>(uintptr_t(i)), 0, nullptr);
        ASSERT_NE(thread, nullptr);
        EXPECT_TRUE(seen.insert(thread).second);
        ASSERT_EQ(WaitForSingleObject(thread, INFINITE), DWORD(WAIT_OBJECT_0));
        DWORD code = 0;
        ASSERT_TRUE(GetExitCodeThread(thread, &code));
        EXPECT_EQ(code, DWORD(i));
        ASSERT_TRUE(CloseHandle(thread));
    }
}

TEST(Threads, LastErrorBelongsToEachThread) {
    SetLastError(1234);
    HANDLE thread = CreateThread(nullptr, 0, ReportInitialLastError, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, INFINITE), DWORD(WAIT_OBJECT_0));
    DWORD code = 1;
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(GetLastError(), 1234u);
    CloseHandle(thread);
}

}  // namespace
