// Threads behind a handle table. Each handle names a shared record that the
// thread itself also holds, so a handle may be closed while its thread runs and
// a thread may end while its handle stays open.
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/fault.h"
#include "platform/posix/errors.h"
#include "platform/posix/handle_table.h"
#include "platform/posix/kernel.h"

namespace {

struct ThreadRecord {
    LPTHREAD_START_ROUTINE start = nullptr;
    LPVOID parameter = nullptr;
    DWORD id = 0;
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;  // guarded by mutex
    DWORD exitCode = STILL_ACTIVE;
};

using RecordPtr = std::shared_ptr<ThreadRecord>;

using ThreadTable = quor::posix::HandleTable<ThreadRecord>;

ThreadTable& Table() {
    static ThreadTable* table = new ThreadTable(0x1000);  // never destroyed: threads may outlive exit
    return *table;
}

std::atomic<DWORD> g_nextThreadId{1};
thread_local DWORD t_threadId = 0;

void* ThreadMain(void* argument) {
    RecordPtr record(std::move(*static_cast<RecordPtr*>(argument)));
    delete static_cast<RecordPtr*>(argument);
    t_threadId = record->id;
    const DWORD code = record->start(record->parameter);
    {
        std::lock_guard<std::mutex> guard(record->mutex);
        record->exitCode = code;
        record->done = true;
    }
    record->ended.notify_all();
    return nullptr;
}

BOOL InvalidHandle() {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

}  // namespace

extern "C" {

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stackSize, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                           DWORD flags, LPDWORD threadId) {
    if (start == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (flags & CREATE_SUSPENDED) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    if (quor::fault::Hit(quor::fault::Site::ThreadCreate)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    RecordPtr record;
    RecordPtr* handoff = nullptr;
    HANDLE handle = nullptr;
    try {
        record = std::make_shared<ThreadRecord>();
        record->start = start;
        record->parameter = parameter;
        record->id = g_nextThreadId.fetch_add(1);
        handoff = new RecordPtr(record);
        handle = Table().Insert(record);
    } catch (...) {
        delete handoff;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    if (stackSize != 0) pthread_attr_setstacksize(&attributes, stackSize < 65536 ? 65536 : stackSize);
    pthread_t thread;
    const int error = pthread_create(&thread, &attributes, ThreadMain, handoff);
    pthread_attr_destroy(&attributes);
    if (error != 0) {
        delete handoff;
        Table().Erase(handle);
        quor::posix::FailWithErrno(error);
        return nullptr;
    }
    if (threadId != nullptr) *threadId = record->id;
    return handle;
}

BOOL WINAPI GetExitCodeThread(HANDLE thread, LPDWORD exitCode) {
    RecordPtr record = Table().Find(thread);
    if (!record || exitCode == nullptr) return InvalidHandle();
    std::lock_guard<std::mutex> guard(record->mutex);
    *exitCode = record->done ? record->exitCode : DWORD(STILL_ACTIVE);
    return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    RecordPtr record = Table().Find(handle);
    if (!record) {
        InvalidHandle();
        return WAIT_FAILED;
    }
    std::unique_lock<std::mutex> lock(record->mutex);
    if (milliseconds == INFINITE) {
        record->ended.wait(lock, [&] { return record->done; });
        return WAIT_OBJECT_0;
    }
    const bool done =
        record->ended.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] { return record->done; });
    return done ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

BOOL WINAPI CloseHandle(HANDLE handle) { return Table().Erase(handle) ? TRUE : InvalidHandle(); }

DWORD WINAPI GetCurrentThreadId(void) {
    if (t_threadId == 0) t_threadId = g_nextThreadId.fetch_add(1);
    return t_threadId;
}
}
