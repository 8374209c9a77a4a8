// CRefObj::ReadNextString: text lines from any stream, through its virtual
// Tell, Read and Seek only, in chunks of 1024 bytes read into the call's own
// frame (a call allocates nothing).
//
// A line ends at the first CR or LF after its text; the run of CR and LF bytes
// that follows is consumed with it, as far as the chunk holding the line's end
// reaches. Breaks at the very start of a call are not a line of their own:
// they are returned in front of the text that follows them.
#include <cstring>

#include "streams/ref_obj.h"

namespace {

constexpr LONG kChunk = 1024;

bool IsBreak(char c) { return c == '\r' || c == '\n'; }

// Index of the first CR or LF in bytes [from, n), or n when there is none.
LONG FindBreak(const char* chunk, LONG from, LONG n) {
    const size_t length = static_cast<size_t>(n - from);
    const void* lf = std::memchr(chunk + from, '\n', length);
    const size_t limit = lf != nullptr ? static_cast<size_t>(static_cast<const char*>(lf) - (chunk + from)) : length;
    const void* cr = std::memchr(chunk + from, '\r', limit);
    return from + static_cast<LONG>(cr != nullptr ? static_cast<const char*>(cr) - (chunk + from) : limit);
}

}  // namespace

LONG CRefObj::ReadNextString(char* buffer, LONG maxLength) {
    if (buffer == nullptr) return 0;
    buffer[0] = '\0';
    if (maxLength <= 0) return 0;
    char chunk[kChunk];
    LONG stored = 0;
    bool firstChunk = true;
    for (;;) {
        const LONG start = Tell();
        const LONG n = Read(chunk, kChunk);
        if (n <= 0) break;
        LONG end = 0;
        if (firstChunk) {
            while (end < n && IsBreak(chunk[end])) ++end;
            firstChunk = false;
        }
        // In a later chunk a break at its first byte ends the line: a line
        // break on a chunk boundary never joins two lines.
        end = FindBreak(chunk, end, n);
        const LONG room = maxLength - stored;
        if (end > room) {
            // The line does not fit: return what fits, and let the next call
            // go on right after it, as fgets does.
            std::memcpy(buffer + stored, chunk, static_cast<size_t>(room));
            stored += room;
            Seek(start + room, SEEK_SET);
            break;
        }
        std::memcpy(buffer + stored, chunk, static_cast<size_t>(end));
        stored += end;
        if (end < n) {
            LONG after = end;
            while (after < n && IsBreak(chunk[after])) ++after;
            if (after < n) Seek(start + after, SEEK_SET);
            break;
        }
    }
    buffer[stored] = '\0';
    return stored;
}
