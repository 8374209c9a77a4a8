#include <sys/resource.h>
#include <sys/sysinfo.h>

#include <cstdio>
#include <cstring>

#include "platform/posix/kernel.h"

namespace {

struct MachineMemory {
    uint64_t totalPhys = 0, availPhys = 0, totalSwap = 0, freeSwap = 0;
};

// Reads /proc/meminfo; falls back on sysinfo where it cannot be read.
MachineMemory ReadMachineMemory() {
    MachineMemory m;
    if (FILE* f = std::fopen("/proc/meminfo", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f) != nullptr) {
            unsigned long long kib = 0;
            if (std::sscanf(line, "MemTotal: %llu", &kib) == 1)
                m.totalPhys = kib * 1024;
            else if (std::sscanf(line, "MemAvailable: %llu", &kib) == 1)
                m.availPhys = kib * 1024;
            else if (std::sscanf(line, "SwapTotal: %llu", &kib) == 1)
                m.totalSwap = kib * 1024;
            else if (std::sscanf(line, "SwapFree: %llu", &kib) == 1)
                m.freeSwap = kib * 1024;
        }
        std::fclose(f);
    }
    if (m.totalPhys == 0) {
        struct sysinfo info {};
        if (sysinfo(&info) == 0) {
            m.totalPhys = uint64_t(info.totalram) * info.mem_unit;
            m.availPhys = uint64_t(info.freeram + info.bufferram) * info.mem_unit;
            m.totalSwap = uint64_t(info.totalswap) * info.mem_unit;
            m.freeSwap = uint64_t(info.freeswap) * info.mem_unit;
        }
    }
    if (m.availPhys > m.totalPhys) m.availPhys = m.totalPhys;
    return m;
}

// Size of this process's mapped address space, from /proc/self/statm.
uint64_t ProcessVirtualBytes() {
    unsigned long long pages = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%llu", &pages) != 1) pages = 0;
        std::fclose(f);
    }
    return pages * 4096u;
}

// The address space a process may use: its RLIMIT_AS, else the 47-bit user space.
uint64_t ProcessVirtualLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) return limit.rlim_cur;
    return uint64_t(1) << 47;
}

SIZE_T Clamp32(uint64_t v) { return v > 0xFFFFFFFFull ? SIZE_T(0xFFFFFFFFu) : SIZE_T(v); }

}  // namespace

extern "C" {

BOOL WINAPI GlobalMemoryStatusEx(LPMEMORYSTATUSEX status) {
    if (status == nullptr || status->dwLength != sizeof(MEMORYSTATUSEX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const MachineMemory m = ReadMachineMemory();
    const uint64_t used = m.totalPhys - m.availPhys;
    status->dwMemoryLoad = m.totalPhys == 0 ? 0 : static_cast<DWORD>(used * 100 / m.totalPhys);
    status->ullTotalPhys = m.totalPhys;
    status->ullAvailPhys = m.availPhys;
    // The commit limit: physical memory plus swap, as the paging file is on Windows.
    status->ullTotalPageFile = m.totalPhys + m.totalSwap;
    status->ullAvailPageFile = m.availPhys + m.freeSwap;
    const uint64_t limit = ProcessVirtualLimit();
    const uint64_t mapped = ProcessVirtualBytes();
    status->ullTotalVirtual = limit;
    status->ullAvailVirtual = mapped < limit ? limit - mapped : 0;
    status->ullAvailExtendedVirtual = 0;
    return TRUE;
}

void WINAPI GlobalMemoryStatus(LPMEMORYSTATUS status) {
    MEMORYSTATUSEX ex{};
    ex.dwLength = sizeof ex;
    GlobalMemoryStatusEx(&ex);
    status->dwLength = sizeof(MEMORYSTATUS);
    status->dwMemoryLoad = ex.dwMemoryLoad;
    status->dwTotalPhys = Clamp32(ex.ullTotalPhys);
    status->dwAvailPhys = Clamp32(ex.ullAvailPhys);
    status->dwTotalPageFile = Clamp32(ex.ullTotalPageFile);
    status->dwAvailPageFile = Clamp32(ex.ullAvailPageFile);
    status->dwTotalVirtual = Clamp32(ex.ullTotalVirtual);
    status->dwAvailVirtual = Clamp32(ex.ullAvailVirtual);
}
}
