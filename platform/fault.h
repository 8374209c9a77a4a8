// Fault injection: the one seam through which tests make the library's
// allocations and the platform calls beneath it fail, without a mocking
// framework. Unarmed, a site costs one relaxed atomic load.
#pragma once

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

// True when this call at `site` is the one chosen to fail.
bool Hit(Site site) noexcept;

// Makes the `nth` next call at `site` fail (1: the very next one); 0 disarms it.
void FailNth(Site site, int nth) noexcept;

// Whether the failure armed with FailNth has happened.
bool Fired(Site site) noexcept;

// Disarms every site.
void Reset() noexcept;

}  // namespace quor::fault
