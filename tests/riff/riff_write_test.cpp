#include <map>

#include "tests/riff/riff_fixture.h"

namespace {

using namespace quor::test;

class RiffWrite : public RiffTest {
protected:
    CRefObj* Empty() { return Stream("", true); }
};

TEST_P(RiffWrite, WaveWithAStreamedDataChunkByteForByte) {
    CRIFF riff;
    CRefObj* stream = Empty();
    SetLastError(kUntouched);
    ASSERT_EQ(riff.Create(stream, Code("WAVE")), 1);
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_EQ(stream->Tell(), 12);
    EXPECT_EQ(ContentOf(*stream), "RIFF" + Word(4) + "WAVE");

    std::string fmt(16, '\0');
    for (size_t i = 0; i < fmt.size(); ++i) fmt[i] = static_cast<char>(i + 1);
    ASSERT_EQ(riff.WriteSubChunk(Code("fmt "), fmt.data(), 16), 1);
    EXPECT_EQ(stream->Tell(), 8);
    EXPECT_EQ(riff.GetMasterChunk()->size, 28);

    ASSERT_EQ(riff.StartWriteStream(Code("data")), 1);
    EXPECT_EQ(stream->Tell(), 44);
    EXPECT_EQ(riff.GetMasterChunk()->size, 28);
    std::string samples(100, '\0');
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<char>(200 - i);
    EXPECT_EQ(riff.WriteStreamData(samples.data(), 60), 60);
    EXPECT_EQ(riff.WriteStreamData(samples.data() + 60, 40), 40);
    EXPECT_EQ(riff.CurrentStreamDataCount(), 100);
    EXPECT_EQ(stream->Tell(), 144);
    ASSERT_EQ(riff.EndWriteStream(), 1);
    EXPECT_EQ(riff.CurrentStreamDataCount(), 0);
    EXPECT_EQ(stream->Tell(), 8);
    EXPECT_EQ(riff.GetMasterChunk()->size, 136);
    EXPECT_EQ(ContentOf(*stream), "RIFF" + Word(136) + "WAVE" + Chunk("fmt ", fmt) + Chunk("data", samples));
}

TEST_P(RiffWrite, ListFilledThroughDescendByteForByte) {
    CRIFF riff;
    CRefObj* stream = Empty();
    ASSERT_EQ(riff.Create(stream, Code("FORM")), 1);
    ASSERT_EQ(riff.WriteListChunkHeader(Code("LTYP")), 1);
    EXPECT_EQ(stream->Tell(), 8);
    EXPECT_SUB(riff, "LIST", 4);
    EXPECT_EQ(riff.GetMasterChunk()->size, 16);
    ASSERT_EQ(riff.Descend(), 1);
    EXPECT_EQ(riff.LevelsDown(), 1);
    EXPECT_EQ(stream->Tell(), 24);
    EXPECT_EQ(ToString(riff.GetMasterChunk()->formType), "LTYP");
    EXPECT_SUB(riff, "LIST", 4);
    const std::string data(56, 'x');
    ASSERT_EQ(riff.WriteSubChunk(Code("XXXX"), const_cast<char*>(data.data()), 56), 1);
    EXPECT_EQ(stream->Tell(), 8);
    EXPECT_EQ(riff.GetMasterChunk()->size, 68);
    ASSERT_EQ(riff.Ascend(), 1);
    EXPECT_EQ(riff.LevelsDown(), 0);
    EXPECT_SUB(riff, "LIST", 68);
    EXPECT_EQ(riff.GetMasterChunk()->size, 80);
    EXPECT_EQ(ContentOf(*stream), Riff("FORM", {List("LTYP", {Chunk("XXXX", data)})}));
    EXPECT_EQ(stream->Size(), 88);
}

TEST_P(RiffWrite, CreateNeedsAWritableStream) {
    CRIFF riff;
    CRefObj* readOnly = Stream(Riff("WAVE", {Chunk("data", "1")}), false);
    SetLastError(0);
    EXPECT_EQ(riff.Create(readOnly, Code("WAVE")), 0);
    EXPECT_EQ(GetLastError(), ERR_STREAM_NOT_READY);
    EXPECT_EQ(riff.GetRefObj(), nullptr);
    EXPECT_EQ(readOnly->References(), 1);
    EXPECT_EQ(riff.Create(nullptr, Code("WAVE")), 0);
}

TEST_P(RiffWrite, AHeaderAloneIsNoReadableRiff) {
    CRefObj* stream = Empty();
    {
        CRIFF writer;
        ASSERT_EQ(writer.Create(stream, Code("WAVE")), 1);
    }
    EXPECT_EQ(ContentOf(*stream), "RIFF" + Word(4) + "WAVE");
    ASSERT_EQ(stream->Seek(0, SEEK_SET), 1);
    CRIFF reader;
    SetLastError(0);
    EXPECT_EQ(reader.Open(stream, nullptr), 0);
    EXPECT_EQ(GetLastError(), ERR_RIFF_CHUNK_READ);
}

TEST_P(RiffWrite, OddLengthsGetNoPadByte) {
    CRIFF riff;
    CRefObj* stream = Empty();
    ASSERT_EQ(riff.Create(stream, Code("ODDS")), 1);
    ASSERT_EQ(riff.WriteSubChunk(Code("one "), const_cast<char*>("abc"), 3), 1);
    EXPECT_EQ(riff.GetMasterChunk()->size, 4 + 11);
    ASSERT_EQ(riff.WriteSubChunk(Code("two "), const_cast<char*>("z"), 1), 1);
    EXPECT_EQ(riff.GetMasterChunk()->size, 4 + 11 + 9);
    EXPECT_EQ(ContentOf(*stream), Riff("ODDS", {Chunk("one ", "abc"), Chunk("two ", "z")}));
}

TEST_P(RiffWrite, ThreeNestedListsEachGrowOnce) {
    CRIFF riff;
    CRefObj* stream = Empty();
    ASSERT_EQ(riff.Create(stream, Code("NEST")), 1);
    for (const char* type : {"lv1 ", "lv2 ", "lv3 "}) {
        ASSERT_EQ(riff.WriteListChunkHeader(Code(type)), 1);
        ASSERT_EQ(riff.Descend(), 1);
    }
    const std::string data(21, 'd');
    ASSERT_EQ(riff.WriteSubChunk(Code("leaf"), const_cast<char*>(data.data()), 21), 1);
    const std::string expected = Riff("NEST", {List("lv1 ", {List("lv2 ", {List("lv3 ", {Chunk("leaf", data)})})})});
    EXPECT_EQ(ContentOf(*stream), expected);
    EXPECT_EQ(riff.GetMasterChunk()->size, 4 + 29);  // the level-3 list
    for (int level = 2; level >= 0; --level) ASSERT_EQ(riff.Ascend(), 1);
    EXPECT_EQ(riff.GetMasterChunk()->size, static_cast<LONG>(expected.size() - 8));
}

TEST_P(RiffWrite, AListNotEnteredStaysEmpty) {
    CRIFF riff;
    CRefObj* stream = Empty();
    ASSERT_EQ(riff.Create(stream, Code("FLAT")), 1);
    ASSERT_EQ(riff.WriteListChunkHeader(Code("none")), 1);
    ASSERT_EQ(riff.WriteSubChunk(Code("next"), const_cast<char*>("12"), 2), 1);
    EXPECT_EQ(ContentOf(*stream), Riff("FLAT", {List("none", {}), Chunk("next", "12")}));
}

TEST_P(RiffWrite, StreamedChunkAfterAListLeavesTheListAlone) {
    CRIFF riff;
    CRefObj* stream = Empty();
    ASSERT_EQ(riff.Create(stream, Code("MIXD")), 1);
    ASSERT_EQ(riff.WriteListChunkHeader(Code("info")), 1);
    ASSERT_EQ(riff.Descend(), 1);
    ASSERT_EQ(riff.WriteSubChunk(Code("name"), const_cast<char*>("n"), 1), 1);
    ASSERT_EQ(riff.Ascend(), 1);
    ASSERT_EQ(riff.StartWriteStream(Code("data")), 1);
    EXPECT_EQ(riff.WriteStreamData(const_cast<char*>("12345"), 5), 5);
    ASSERT_EQ(riff.EndWriteStream(), 1);
    ASSERT_EQ(riff.StartWriteStream(Code("none")), 1);
    ASSERT_EQ(riff.EndWriteStream(), 1);  // no data: a chunk of size 0, 8 more bytes
    EXPECT_EQ(ContentOf(*stream),
              Riff("MIXD", {List("info", {Chunk("name", "n")}), Chunk("data", "12345"), Chunk("none", "")}));
}

TEST_P(RiffWrite, WriteAppendsWhereTheCallerPutTheStream) {
    CRIFF riff;
    CRefObj* stream = Empty();
    ASSERT_EQ(riff.Create(stream, Code("RAWW")), 1);
    const std::string own = Chunk("own ", "xyz");
    EXPECT_EQ(riff.Write(const_cast<char*>(own.data()), static_cast<LONG>(own.size())), 11);
    ASSERT_EQ(riff.WriteSubChunk(Code("next"), const_cast<char*>("1"), 1), 1);
    EXPECT_EQ(stream->Tell(), 8);  // a Write now must first go to the end
    ASSERT_EQ(stream->Seek(stream->Size(), SEEK_SET), 1);
    EXPECT_EQ(riff.Write(const_cast<char*>(own.data()), static_cast<LONG>(own.size())), 11);
    EXPECT_EQ(ContentOf(*stream), Riff("RAWW", {own, Chunk("next", "1"), own}));
    EXPECT_EQ(riff.Write(const_cast<char*>("x"), -1), 0);
}

INSTANTIATE_TEST_SUITE_P(BothKinds, RiffWrite, ::testing::Values(kFileKind, kMemoryKind), RiffKindName);

// A stream of up to 2 GiB that stores only the bytes written to it, so that
// a RIFF near the 31-bit end can be written for real.
class SparseStream : public CRefObj {
public:
    SparseStream() { SetWriteMode(1); }
    int IsOpen() override { return 1; }
    LONG Tell() override { return m_position; }
    LONG Size() override { return m_size; }
    int Seek(LONG offset, int whence) override {
        if (whence != SEEK_SET || offset < 0) return 0;
        m_position = offset;
        return 1;
    }
    LONG Write(char* buffer, LONG count) override {
        if (count < 0 || int64_t(m_position) + count > INT32_MAX) return 0;
        for (LONG i = 0; i < count && !m_holes; ++i) m_bytes[m_position + i] = buffer[i];
        m_position += count;
        if (m_position > m_size) m_size = m_position;
        return count;
    }
    LONG Read(char* buffer, LONG count) override {
        LONG got = 0;
        while (got < count && m_bytes.count(m_position)) buffer[got++] = m_bytes[m_position++];
        return got;
    }
    size_t BytesWritten() const { return m_bytes.size(); }
    // While set, writes move the position but store nothing.
    void WriteHoles(bool holes) { m_holes = holes; }

private:
    bool m_holes = false;
    std::map<LONG, char> m_bytes;
    LONG m_position = 0;
    LONG m_size = 0;
};

TEST(RiffLimits, AppendsThatWouldPassThe31BitEndWriteNothing) {
    SparseStream stream;
    CRIFF riff;
    ASSERT_EQ(riff.Create(&stream, Code("HUGE")), 1);
    // A streamed chunk that brings the end of the RIFF to 16 bytes short of
    // the largest 31-bit offset, counted but not stored.
    ASSERT_EQ(riff.StartWriteStream(Code("bulk")), 1);
    const LONG bulk = 0x7FFFFFFF - 36;
    char dummy = 0;
    stream.WriteHoles(true);
    ASSERT_EQ(riff.WriteStreamData(&dummy, bulk), bulk);
    stream.WriteHoles(false);
    ASSERT_EQ(riff.EndWriteStream(), 1);
    EXPECT_EQ(riff.GetMasterChunk()->size, 0x7FFFFFFF - 24);
    const size_t before = stream.BytesWritten();
    char data[16] = {};
    EXPECT_EQ(riff.WriteSubChunk(Code("more"), data, 9), 0);  // 17 bytes do not fit
    EXPECT_EQ(riff.WriteSubChunk(Code("more"), data, -1), 0);
    EXPECT_EQ(riff.StartWriteStream(Code("more")), 1);  // its header fits
    EXPECT_EQ(riff.WriteStreamData(data, 9), 0);        // but 9 bytes of data do not
    EXPECT_EQ(riff.WriteStreamData(data, 8), 8);
    EXPECT_EQ(riff.EndWriteStream(), 1);
    EXPECT_EQ(riff.GetMasterChunk()->size, 0x7FFFFFFF - 8);
    EXPECT_EQ(riff.WriteListChunkHeader(Code("more")), 0);
    EXPECT_EQ(riff.Write(data, 1), 0);
    EXPECT_EQ(stream.BytesWritten(), before + 16);  // only the chunk that fitted
}

}  // namespace
