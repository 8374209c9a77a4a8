#include <gtest/gtest.h>

#include <vector>

#include "tests/support/stream_kinds.h"

namespace {

using quor::test::StreamKind;
using quor::test::TempDir;

class LineReader : public ::testing::TestWithParam<StreamKind> {
protected:
    // Every line `ReadNextString` gives until it gives 0, with `maxLength`.
    std::vector<std::string> Lines(const std::string& text, LONG maxLength = 4096) {
        m_stream = GetParam().make(m_dir, text, false);
        std::vector<std::string> lines;
        std::string buffer(static_cast<size_t>(maxLength) + 1, '\x7f');
        for (int guard = 0; guard < 10000; ++guard) {
            const LONG n = m_stream->ReadNextString(buffer.data(), maxLength);
            EXPECT_LE(n, maxLength);
            EXPECT_EQ(buffer[static_cast<size_t>(n)], '\0');
            if (n == 0) return lines;
            lines.emplace_back(buffer.data(), static_cast<size_t>(n));
        }
        ADD_FAILURE() << "the reader never reached the end";
        return lines;
    }

    using L = std::vector<std::string>;
    TempDir m_dir;
    std::unique_ptr<CRefObj> m_stream;
};

struct LinesCase {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
};

TEST_P(LineReader, SplitsAtEveryKindOfBreak) {
    const std::vector<LinesCase> cases = {
        {"CrLfAndBlankLine", "line1\r\nline2\r\n\r\nline3\r\n", {"line1", "line2", "line3"}},
        {"LeadingBreaksComeWithTheFirstText", "\r\n\r\nabc\r\ndef", {"\r\n\r\nabc", "def"}},
        {"NoBreakAtAll", "abc", {"abc"}},
        {"CrAlone", "abc\rdef", {"abc", "def"}},
        {"LfCr", "abc\n\rdef", {"abc", "def"}},
        {"SingleLf", "\n", {"\n"}},
        {"Empty", "", {}},
    };
    for (const LinesCase& c : cases) EXPECT_EQ(Lines(c.text), c.lines) << c.name;
}

TEST_P(LineReader, LeavesTheStreamAfterTheConsumedBreaks) {
    EXPECT_EQ(Lines("line1\r\nline2\r\n\r\nline3\r\n"), (L{"line1", "line2", "line3"}));
    EXPECT_EQ(m_stream->Tell(), 23);
    char buffer[8];
    EXPECT_EQ(m_stream->ReadNextString(buffer, 7), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(m_stream->Tell(), 23);
}

TEST_P(LineReader, ZeroLengthStoresOnlyTheTerminator) {
    m_stream = GetParam().make(m_dir, "abc\n", false);
    char buffer[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(m_stream->ReadNextString(buffer, 0), 0);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(m_stream->Tell(), 0);
    EXPECT_EQ(m_stream->ReadNextString(buffer, -3), 0);
    EXPECT_EQ(m_stream->Tell(), 0);
}

TEST_P(LineReader, LongLineSpansChunks) {
    const std::string longLine(1500, 'q');
    EXPECT_EQ(Lines(longLine + "\r\nnext", 2000), (L{longLine, "next"}));
}

TEST_P(LineReader, LinesThatDoNotFitComeBackInPieces) {
    EXPECT_EQ(Lines("abcdefghijklmno\nxy\n", 6), (L{"abcdef", "ghijkl", "mno", "xy"}));
    // A line of exactly maxLength characters comes back whole.
    EXPECT_EQ(Lines("abcdef\nxy", 6), (L{"abcdef", "xy"}));
    // Across chunks, with the piece boundary inside the second chunk.
    const std::string longLine(1500, 'r');
    EXPECT_EQ(Lines(longLine + "\n", 1200), (L{longLine.substr(0, 1200), longLine.substr(1200)}));
    EXPECT_EQ(Lines(std::string(1024, 's') + "tail\n", 1024), (L{std::string(1024, 's'), "tail"}));
}

TEST_P(LineReader, BreakOnAChunkBoundaryEndsTheLine) {
    // A break in the last byte of a full chunk, with more data after it.
    const std::string first(1023, 'a');
    EXPECT_EQ(Lines(first + "\nsecond"), (L{first, "second"}));
    // A break at the start of the second chunk of one line.
    const std::string whole(1024, 'b');
    EXPECT_EQ(Lines(whole + "\r\nafter"), (L{whole, "after"}));
    // A run of breaks that crosses the boundary: the rest comes in front of the next text.
    EXPECT_EQ(Lines(first + "\r\nnext"), (L{first, "\nnext"}));
}

INSTANTIATE_TEST_SUITE_P(BothKinds, LineReader, ::testing::Values(quor::test::kFileKind, quor::test::kMemoryKind),
                         [](const ::testing::TestParamInfo<StreamKind>& info) { return info.param.name; });

TEST(LineReaderOnAPlainStream, GivesAnEmptyLine) {
    CRefObj plain;
    char buffer[16] = "junk";
    EXPECT_EQ(plain.ReadNextString(buffer, 15), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(plain.ReadNextString(nullptr, 15), 0);
}

}  // namespace
