#include "platform/fault.h"

#include <atomic>

namespace quor::fault {
namespace {

constexpr int kSites = static_cast<int>(Site::Count);

std::atomic<int> g_countdown[kSites];
std::atomic<bool> g_fired[kSites];

}  // namespace

namespace detail {
std::atomic<int> g_armed{0};
}  // namespace detail

using detail::g_armed;

bool detail::HitArmed(Site site) noexcept {
    std::atomic<int>& left = g_countdown[static_cast<int>(site)];
    int value = left.load(std::memory_order_relaxed);
    while (value > 0) {
        if (left.compare_exchange_weak(value, value - 1, std::memory_order_acq_rel)) {
            if (value != 1) return false;
            g_armed.fetch_sub(1, std::memory_order_relaxed);
            g_fired[static_cast<int>(site)].store(true, std::memory_order_release);
            return true;
        }
    }
    return false;
}

void FailNth(Site site, int nth) noexcept {
    const int index = static_cast<int>(site);
    const int before = g_countdown[index].exchange(nth > 0 ? nth : 0);
    g_fired[index].store(false);
    if (before > 0) g_armed.fetch_sub(1);
    if (nth > 0) g_armed.fetch_add(1);
}

bool Fired(Site site) noexcept { return g_fired[static_cast<int>(site)].load(std::memory_order_acquire); }

void Reset() noexcept {
    for (int i = 0; i < kSites; ++i) FailNth(static_cast<Site>(i), 0);
}

}  // namespace quor::fault
