// RIFF tests run over both stream kinds: a file stream and a memory stream
// holding the same bytes.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "module/quor.h"
#include "tests/support/riff_bytes.h"
#include "tests/support/stream_kinds.h"

namespace quor::test {

constexpr DWORD kUntouched = 0xC0FFEE;

// True when the last-error value holds no code of the engine's own: the
// stream's own successful seeks may have set 0 (a file stream's do).
inline bool NoEngineCode() { return GetLastError() == kUntouched || GetLastError() == ERROR_SUCCESS; }

class RiffTest : public ::testing::TestWithParam<StreamKind> {
protected:
    // A stream holding `bytes`; the test keeps the creator's reference.
    CRefObj* Stream(const std::string& bytes, bool writable = false) {
        m_streams.push_back(GetParam().make(m_dir, bytes, writable));
        return m_streams.back().get();
    }

    // Opens `bytes` with `riff`, expecting success.
    CRefObj* OpenRiff(CRIFF& riff, const std::string& bytes) {
        CRefObj* stream = Stream(bytes);
        _chunkInfo info{};
        EXPECT_EQ(riff.Open(stream, &info), 1);
        return stream;
    }

    static _subChunk Sub(CRIFF& riff) {
        _chunkInfo master{};
        _subChunk sub{};
        riff.GetCurrentChunkInfo(&master, &sub);
        return sub;
    }

    TempDir m_dir;
    std::vector<std::unique_ptr<CRefObj>> m_streams;
};

inline std::string ToString(ULONG code) { return Word(code); }

// The current sub-chunk of RIFF_ has the id ID_ and the size SIZE_.
#define EXPECT_SUB(RIFF_, ID_, SIZE_)                   \
    do {                                                \
        const _subChunk sub_ = Sub(RIFF_);              \
        EXPECT_EQ(ToString(sub_.id), std::string(ID_)); \
        EXPECT_EQ(sub_.size, (SIZE_));                  \
    } while (0)

inline std::string RiffKindName(const ::testing::TestParamInfo<StreamKind>& info) { return info.param.name; }

}  // namespace quor::test
