// Handles of the POSIX layer: each names a shared record, values grow
// monotonically and a closed value is never handed out again, so a stale
// handle is refused instead of reaching another object.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace quor::posix {

template <class Record>
class HandleTable {
public:
    using RecordPtr = std::shared_ptr<Record>;

    // Values start after `first` and step by 4; may throw std::bad_alloc.
    explicit HandleTable(uintptr_t first) : m_next(first) {}

    void* Insert(RecordPtr record) {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_records.emplace(m_next + 4, std::move(record));
        m_next += 4;
        return reinterpret_cast<void*>(m_next);
    }

    RecordPtr Find(const void* handle) {
        std::lock_guard<std::mutex> guard(m_mutex);
        auto it = m_records.find(reinterpret_cast<uintptr_t>(handle));
        return it == m_records.end() ? nullptr : it->second;
    }

    bool Erase(const void* handle) {
        RecordPtr last;  // the record is released outside the lock
        std::lock_guard<std::mutex> guard(m_mutex);
        auto it = m_records.find(reinterpret_cast<uintptr_t>(handle));
        if (it == m_records.end()) return false;
        last = std::move(it->second);
        m_records.erase(it);
        return true;
    }

private:
    std::mutex m_mutex;
    uintptr_t m_next;  // the last value handed out
    std::unordered_map<uintptr_t, RecordPtr> m_records;
};

}  // namespace quor::posix
