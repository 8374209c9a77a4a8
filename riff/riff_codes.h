// Four-character codes and little-endian words as RIFF files hold them.
#pragma once

#include <cstdint>

#include "platform/host.h"

namespace quor::riff {

constexpr ULONG kRiff = 0x46464952;  // "RIFF"
constexpr ULONG kList = 0x5453494C;  // "LIST"
constexpr ULONG kData = 0x61746164;  // "data"

// The code whose characters, in file order, are the four of `text`.
constexpr ULONG FourCC(const char (&text)[5]) {
    return ULONG(uint8_t(text[0])) | ULONG(uint8_t(text[1])) << 8 | ULONG(uint8_t(text[2])) << 16 |
           ULONG(uint8_t(text[3])) << 24;
}

inline ULONG Load32(const unsigned char* b) {
    return ULONG(b[0]) | ULONG(b[1]) << 8 | ULONG(b[2]) << 16 | ULONG(b[3]) << 24;
}

inline void Store32(unsigned char* b, ULONG v) {
    b[0] = static_cast<unsigned char>(v);
    b[1] = static_cast<unsigned char>(v >> 8);
    b[2] = static_cast<unsigned char>(v >> 16);
    b[3] = static_cast<unsigned char>(v >> 24);
}

}  // namespace quor::riff
