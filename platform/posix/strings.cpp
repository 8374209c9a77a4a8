#include <cstring>

#include "platform/posix/kernel.h"

namespace {

int FoldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

}  // namespace

extern "C" {

int WINAPI lstrlenA(LPCSTR s) { return s == nullptr ? 0 : static_cast<int>(std::strlen(s)); }

LPSTR WINAPI lstrcpyA(LPSTR dst, LPCSTR src) {
    if (dst == nullptr || src == nullptr) return nullptr;
    std::memmove(dst, src, std::strlen(src) + 1);
    return dst;
}

LPSTR WINAPI lstrcatA(LPSTR dst, LPCSTR src) {
    if (dst == nullptr || src == nullptr) return nullptr;
    std::memmove(dst + std::strlen(dst), src, std::strlen(src) + 1);
    return dst;
}

int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b) {
    if (a == nullptr || b == nullptr) return (a == b) ? 0 : (a == nullptr ? -1 : 1);
    const auto* x = reinterpret_cast<const unsigned char*>(a);
    const auto* y = reinterpret_cast<const unsigned char*>(b);
    for (;; ++x, ++y) {
        const int d = FoldAscii(*x) - FoldAscii(*y);
        if (d != 0) return d < 0 ? -1 : 1;
        if (*x == 0) return 0;
    }
}
}
