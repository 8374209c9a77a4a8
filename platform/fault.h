// Fault injection: the one seam through which tests make the library's
// allocations and the platform calls beneath it fail, without a mocking
// framework. Unarmed, a site costs one relaxed atomic load.
#pragma once

#include <atomic>

namespace quor::fault {

enum class Site : int {
    Alloc,         // library allocations (objects, blocks, records)
    FileOpen,      // runtime fopen
    FileRead,      // runtime fread
    FileWrite,     // runtime fwrite
    FileFlush,     // runtime fflush
    ThreadCreate,  // thread creation
    Count
};

namespace detail {
extern std::atomic<int> g_armed;  // number of sites with a pending countdown
bool HitArmed(Site site) noexcept;
}  // namespace detail

// True when this call at `site` is the one chosen to fail.
inline bool Hit(Site site) noexcept {
    return detail::g_armed.load(std::memory_order_relaxed) != 0 && detail::HitArmed(site);
}

// Makes the `nth` next call at `site` fail (1: the very next one); 0 disarms it.
void FailNth(Site site, int nth) noexcept;

// Whether the failure armed with FailNth has happened.
bool Fired(Site site) noexcept;

// Disarms every site.
void Reset() noexcept;

}  // namespace quor::fault
