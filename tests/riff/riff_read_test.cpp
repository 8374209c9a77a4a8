#include "tests/riff/riff_fixture.h"

namespace {

using namespace quor::test;

// RIFF WAVE: "fmt " (16) at 12, LIST INFO at 36 holding INAM (3, odd) at 48
// and ICMT (5) at 59, "data" (10) at 72; 90 bytes in all.
std::string Wave() {
    return Riff("WAVE", {Chunk("fmt ", std::string(16, 'f')),
                         List("INFO", {Chunk("INAM", "abc"), Chunk("ICMT", "hello")}), Chunk("data", "0123456789")});
}

class RiffRead : public RiffTest {};

TEST_P(RiffRead, OpenReadsTheHeaderAndTheFirstSubChunk) {
    CRIFF riff;
    EXPECT_EQ(riff.LevelsDown(), -1);
    CRefObj* stream = Stream(Wave());
    _chunkInfo info{};
    SetLastError(kUntouched);
    ASSERT_EQ(riff.Open(stream, &info), 1);
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_EQ(ToString(info.id), "RIFF");
    EXPECT_EQ(info.size, 82);
    EXPECT_EQ(ToString(info.formType), "WAVE");
    EXPECT_EQ(riff.GetMasterChunk()->size, 82);
    EXPECT_EQ(riff.LevelsDown(), 0);
    EXPECT_EQ(riff.GetRefObj(), stream);
    EXPECT_EQ(stream->References(), 2);
    EXPECT_SUB(riff, "fmt ", 16);
    // The stream stands at the RIFF header; the first chunk's data is a call away.
    EXPECT_EQ(stream->Tell(), 0);
    char buffer[16];
    EXPECT_EQ(riff.Read(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), "RIFF");
    EXPECT_EQ(riff.ReadCurrentSubChunk(buffer, 16), 16);
    EXPECT_EQ(std::string(buffer, 16), std::string(16, 'f'));
    riff.Close();
    EXPECT_EQ(stream->References(), 1);
    EXPECT_EQ(riff.GetRefObj(), nullptr);
    EXPECT_EQ(riff.LevelsDown(), 0);
}

struct OpenFailure {
    const char* name;
    std::string bytes;
    DWORD error;
};

TEST_P(RiffRead, OpenRefusesWhatIsNotARiff) {
    const std::vector<OpenFailure> cases = {
        {"NotRiff", "RIFX" + Word(4) + "WAVE" + Chunk("data", "x"), ERR_RIFF_NOT_RIFF},
        {"ShorterThanAHeader", "RIFF" + Word(4), kUntouched},
        {"NoChunk", Riff("WAVE", {}), ERR_RIFF_CHUNK_READ},
        {"FirstHeaderCut", Riff("WAVE", {}) + "fmt ", ERR_RIFF_CHUNK_READ},
    };
    for (const OpenFailure& c : cases) {
        CRIFF riff;
        CRefObj* stream = Stream(c.bytes);
        _chunkInfo info{};
        SetLastError(kUntouched);
        EXPECT_EQ(riff.Open(stream, &info), 0) << c.name;
        EXPECT_EQ(GetLastError(), c.error) << c.name;
        EXPECT_EQ(riff.GetRefObj(), nullptr) << c.name;
        EXPECT_EQ(riff.LevelsDown(), -1) << c.name;
        EXPECT_EQ(stream->References(), 1) << c.name;
    }
}

TEST_P(RiffRead, OpenRefusesAStreamThatIsNotReady) {
    CRIFF riff;
    CFileObj closed;
    CMemObj neverOpened;
    for (CRefObj* stream :
         {static_cast<CRefObj*>(&closed), static_cast<CRefObj*>(&neverOpened), static_cast<CRefObj*>(nullptr)}) {
        SetLastError(0);
        EXPECT_EQ(riff.Open(stream, nullptr), 0);
        EXPECT_EQ(GetLastError(), ERR_STREAM_NOT_READY);
    }
}

TEST_P(RiffRead, ZeroRiffSizeRunsToTheStreamEnd) {
    std::string bytes = Wave();
    bytes.replace(4, 4, Word(0));
    CRIFF riff;
    CRefObj* stream = Stream(bytes);
    _chunkInfo info{};
    ASSERT_EQ(riff.Open(stream, &info), 1);
    EXPECT_EQ(info.size, 0);
    EXPECT_EQ(riff.GetMasterChunk()->size, 82);
}

TEST_P(RiffRead, SeekToChunkFindsAChunkAndStandsAtItsData) {
    CRIFF riff;
    CRefObj* stream = OpenRiff(riff, Wave());
    SetLastError(kUntouched);
    EXPECT_EQ(riff.SeekToChunk(Code("fmt "), 0, 1), 1);  // the current one: nothing moves
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_EQ(stream->Tell(), 0);
    EXPECT_EQ(riff.SeekToChunk(Code("data"), 0, 1), 1);
    EXPECT_SUB(riff, "data", 10);
    EXPECT_EQ(stream->Tell(), 80);
    char buffer[10];
    EXPECT_EQ(riff.Read(buffer, 10), 10);
    EXPECT_EQ(std::string(buffer, 10), "0123456789");
    EXPECT_EQ(riff.SeekToLevelBeginning(), 1);
    EXPECT_EQ(riff.SeekToChunk(Code("LIST"), 0, 1), 1);
    EXPECT_SUB(riff, "LIST", 28);
    EXPECT_EQ(riff.SeekToChunk(Code("LIST"), 1, 1), 0);  // skipCurrent: no later LIST
}

TEST_P(RiffRead, FailedSearchRestoresOrStopsAtTheLastHeader) {
    CRIFF riff;
    CRefObj* stream = OpenRiff(riff, Wave());
    // INAM lies inside the list, which the search skips whole.
    SetLastError(0);
    EXPECT_EQ(riff.SeekToChunk(Code("INAM"), 0, 1), 0);
    EXPECT_EQ(GetLastError(), ERR_RIFF_CHUNK_READ);
    EXPECT_SUB(riff, "fmt ", 16);
    EXPECT_EQ(stream->Tell(), 0);
    EXPECT_EQ(riff.SeekToChunk(Code("INAM"), 0, 0), 0);
    EXPECT_EQ(GetLastError(), ERR_RIFF_CHUNK_READ);
    EXPECT_SUB(riff, "data", 10);
}

TEST_P(RiffRead, SearchInsideAListGoesOnPastItsEnd) {
    CRIFF riff;
    OpenRiff(riff, Wave());
    ASSERT_EQ(riff.SeekToChunk(Code("LIST"), 0, 1), 1);
    ASSERT_EQ(riff.Descend(), 1);
    EXPECT_EQ(riff.SeekToChunk(Code("data"), 0, 1), 1);
    EXPECT_SUB(riff, "data", 10);
    EXPECT_EQ(riff.LevelsDown(), 1);
    EXPECT_EQ(ToString(riff.GetMasterChunk()->formType), "INFO");
}

TEST_P(RiffRead, DataOfSizeZeroRunsToTheStreamEndWhenSearched) {
    CRIFF riff;
    OpenRiff(riff, "RIFF" + Word(0) + "WAVE" + Chunk("fmt ", "1234") + ChunkWithSize("data", 0, "0123456789"));
    EXPECT_EQ(riff.SeekToChunk(Code("data"), 0, 1), 1);
    EXPECT_SUB(riff, "data", 10);
    ASSERT_EQ(riff.SeekToLevelBeginning(), 1);
    ASSERT_EQ(riff.SeekToNextChunk(), 1);
    EXPECT_SUB(riff, "data", 0);
}

TEST_P(RiffRead, SearchStopsAtItsOffsetLimit) {
    // A padding chunk at 24 that puts the next chunk header at `at`.
    auto riffWithChunkAt = [](long at) {
        const long padding = at - 24 - 8;
        return Riff("WAVE", {Chunk("fmt ", "1234"), Chunk("pad ", std::string(static_cast<size_t>(padding), '\0')),
                             Chunk("late", "zz")});
    };
    for (const long at : {11113233L, 11113234L}) {
        CRIFF riff;
        OpenRiff(riff, riffWithChunkAt(at));
        SetLastError(0);
        const int found = riff.SeekToChunk(Code("late"), 0, 1);
        EXPECT_EQ(found, at < 11113234L ? 1 : 0) << at;
        if (!found) {
            EXPECT_EQ(GetLastError(), ERR_RIFF_OUT_OF_BOUNDS);
            EXPECT_SUB(riff, "fmt ", 4);
            // Stepping and jumping still reach it.
            EXPECT_EQ(riff.SeekToNextChunk(), 1);
            EXPECT_EQ(riff.SeekToNextChunk(), 1);
            EXPECT_SUB(riff, "late", 2);
            ASSERT_EQ(riff.SeekToLevelBeginning(), 1);
            EXPECT_EQ(riff.SeekToChunkAtOffset(at), 1);
            EXPECT_SUB(riff, "late", 2);
            // From the padding, the very first candidate lies past the limit.
            ASSERT_EQ(riff.SeekToChunkAtOffset(24), 1);
            SetLastError(kUntouched);
            EXPECT_EQ(riff.SeekToChunk(Code("late"), 0, 1), 0);
            EXPECT_EQ(GetLastError(), kUntouched);
        }
    }
}

TEST_P(RiffRead, StepsThroughALevelWithoutPadBytes) {
    CRIFF riff;
    OpenRiff(riff, Wave());
    ASSERT_EQ(riff.SeekToNextChunk(), 1);
    EXPECT_SUB(riff, "LIST", 28);
    ASSERT_EQ(riff.Descend(), 1);
    EXPECT_SUB(riff, "INAM", 3);
    EXPECT_EQ(riff.GetRefObj()->Tell(), 56);
    ASSERT_EQ(riff.SeekToNextChunk(), 1);  // at 48 + 8 + 3 = 59: no pad byte
    EXPECT_SUB(riff, "ICMT", 5);
    char buffer[5];
    EXPECT_EQ(riff.ReadCurrentSubChunk(buffer, 5), 5);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    SetLastError(kUntouched);
    EXPECT_EQ(riff.SeekToNextChunk(), 0);  // the end of the list
    EXPECT_EQ(GetLastError(), kUntouched);
    ASSERT_EQ(riff.Ascend(), 1);
    EXPECT_SUB(riff, "LIST", 28);
    EXPECT_EQ(riff.GetRefObj()->Tell(), 12);
    ASSERT_EQ(riff.SeekToNextChunk(), 1);
    EXPECT_SUB(riff, "data", 10);
    EXPECT_EQ(riff.SeekToNextChunk(), 0);
}

TEST_P(RiffRead, AnEmptyLastChunkIsOutOfBounds) {
    CRIFF riff;
    OpenRiff(riff, Riff("WAVE", {Chunk("aaaa", "12"), Chunk("zero", "")}));
    SetLastError(0);
    EXPECT_EQ(riff.SeekToNextChunk(), 0);
    EXPECT_EQ(GetLastError(), ERR_RIFF_OUT_OF_BOUNDS);
    EXPECT_SUB(riff, "aaaa", 2);
}

TEST_P(RiffRead, StepsBackToThePreviousChunk) {
    CRIFF riff;
    OpenRiff(riff, Wave());
    ASSERT_EQ(riff.SeekToChunk(Code("data"), 0, 1), 1);
    ASSERT_EQ(riff.SeekToPreviousChunk(), 1);
    EXPECT_SUB(riff, "LIST", 28);
    EXPECT_EQ(riff.GetRefObj()->Tell(), 44);
    ASSERT_EQ(riff.SeekToPreviousChunk(), 1);
    EXPECT_SUB(riff, "fmt ", 16);
    SetLastError(0);
    EXPECT_EQ(riff.SeekToPreviousChunk(), 0);
    EXPECT_EQ(GetLastError(), ERR_RIFF_OUT_OF_BOUNDS);
    EXPECT_SUB(riff, "fmt ", 16);
}

TEST_P(RiffRead, JumpsToAnyOffsetOfTheLevel) {
    CRIFF riff;
    CRefObj* stream = OpenRiff(riff, Wave());
    SetLastError(kUntouched);
    EXPECT_EQ(riff.SeekToChunkAtOffset(0), 1);  // the level's own header
    EXPECT_SUB(riff, "RIFF", 82);
    EXPECT_EQ(riff.SeekToChunkAtOffset(72), 1);
    EXPECT_SUB(riff, "data", 10);
    EXPECT_TRUE(NoEngineCode());
    EXPECT_EQ(stream->Tell(), 80);
    for (const LONG outside : {-1L, 90L, 1000L}) {
        SetLastError(0);
        EXPECT_EQ(riff.SeekToChunkAtOffset(outside), 0) << outside;
        EXPECT_EQ(GetLastError(), ERR_RIFF_OUT_OF_BOUNDS) << outside;
    }
    EXPECT_SUB(riff, "data", 10);
}

TEST_P(RiffRead, JumpToAnUnreadableHeaderReportsOutOfBounds) {
    // The RIFF claims 100 more bytes than the stream holds.
    std::string bytes = Wave();
    bytes.replace(4, 4, Word(182));
    CRIFF riff;
    CRefObj* stream = OpenRiff(riff, bytes);
    ASSERT_EQ(stream->Seek(20, SEEK_SET), 1);
    SetLastError(0);
    EXPECT_EQ(riff.SeekToChunkAtOffset(86), 0);         // 4 bytes before the end: no whole header
    EXPECT_EQ(GetLastError(), ERR_RIFF_OUT_OF_BOUNDS);  // not cleared by the seek back
    EXPECT_EQ(stream->Tell(), 20);
}

TEST_P(RiffRead, DescendAndAscendBetweenLevels) {
    CRIFF riff;
    OpenRiff(riff, Wave());
    EXPECT_EQ(riff.Descend(), 0);  // "fmt " is not a list
    EXPECT_EQ(riff.LevelsDown(), 0);
    EXPECT_EQ(riff.Ascend(), 0);  // nothing above the RIFF
    ASSERT_EQ(riff.SeekToNextChunk(), 1);
    SetLastError(kUntouched);
    ASSERT_EQ(riff.Descend(), 1);
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_EQ(riff.LevelsDown(), 1);
    _chunkInfo master{};
    _subChunk sub{};
    riff.GetCurrentChunkInfo(&master, &sub);
    EXPECT_EQ(ToString(master.id), "LIST");
    EXPECT_EQ(master.size, 28);
    EXPECT_EQ(ToString(master.formType), "INFO");
    EXPECT_EQ(riff.SeekToChunkAtOffset(36), 1);  // the list's own header
    EXPECT_EQ(riff.SeekToChunkAtOffset(72), 0);  // past the list's end
    ASSERT_EQ(riff.Ascend(), 1);
    EXPECT_EQ(riff.GetMasterChunk()->id, Code("RIFF"));
}

TEST_P(RiffRead, EmptyListInReadingModeTakesWhatFollows) {
    CRIFF riff;
    OpenRiff(riff, Riff("WAVE", {List("none", {}), Chunk("next", "1")}));
    ASSERT_EQ(riff.Descend(), 1);
    EXPECT_SUB(riff, "next", 1);
    CRIFF atEnd;
    OpenRiff(atEnd, Riff("WAVE", {List("none", {})}));
    SetLastError(0);
    EXPECT_EQ(atEnd.Descend(), 0);
    EXPECT_EQ(GetLastError(), ERR_RIFF_CHUNK_READ);
    EXPECT_EQ(atEnd.LevelsDown(), 0);
    EXPECT_SUB(atEnd, "LIST", 4);  // the failed Descend left everything as it was
    EXPECT_EQ(ToString(atEnd.GetMasterChunk()->id), "RIFF");
}

TEST_P(RiffRead, NestsFortyNineLevelsAndNoMore) {
    std::string nested = List("deep", {Chunk("leaf", "x")});
    for (int i = 0; i < 49; ++i) nested = List("deep", {nested});
    CRIFF riff;
    OpenRiff(riff, Riff("NEST", {nested}));
    for (int depth = 1; depth <= 49; ++depth) ASSERT_EQ(riff.Descend(), 1) << depth;
    EXPECT_EQ(riff.LevelsDown(), 49);
    EXPECT_SUB(riff, "LIST", 4 + 8 + 1);
    SetLastError(0);
    EXPECT_EQ(riff.Descend(), 0);
    EXPECT_EQ(GetLastError(), ERR_RIFF_TOO_DEEP);
    for (int depth = 48; depth >= 0; --depth) ASSERT_EQ(riff.Ascend(), 1) << depth;
    EXPECT_EQ(riff.LevelsDown(), 0);
    EXPECT_EQ(riff.SeekToNextChunk(), 0);
}

TEST_P(RiffRead, ReadCurrentSubChunkComparesWithTheChunkSize) {
    CRIFF riff;
    OpenRiff(riff, Wave());
    char buffer[32];
    SetLastError(0);
    EXPECT_EQ(riff.ReadCurrentSubChunk(buffer, 8), 8);
    EXPECT_EQ(GetLastError(), ERR_RIFF_CHUNK_READ);
    SetLastError(0);
    EXPECT_EQ(riff.ReadCurrentSubChunk(buffer, 20), 20);  // reads on past the chunk's end
    EXPECT_EQ(std::string(buffer + 16, 4), "LIST");
    EXPECT_EQ(GetLastError(), ERR_RIFF_CHUNK_READ);
    SetLastError(kUntouched);
    EXPECT_EQ(riff.ReadCurrentSubChunk(buffer, 16), 16);
    EXPECT_TRUE(NoEngineCode());
}

TEST_P(RiffRead, CopiesKeepTheStreamAlive) {
    auto* owned = GetParam().make(m_dir, Wave(), false).release();
    CRIFF* source = new CRIFF;
    ASSERT_EQ(source->Open(owned, nullptr), 1);
    CRefObj* creator = owned;
    DeleteRefObject(&creator);  // the creator lets go: the RIFF object holds it now
    ASSERT_NE(creator, nullptr);
    CRIFF copy(*source);
    CRIFF assigned;
    assigned = *source;
    assigned = assigned;  // keeps its reference
    EXPECT_EQ(owned->References(), 3);
    delete source;
    EXPECT_EQ(copy.SeekToChunk(Code("data"), 0, 1), 1);
    EXPECT_EQ(assigned.SeekToChunk(Code("LIST"), 0, 1), 1);
    copy.Close();
    EXPECT_EQ(owned->References(), 1);
    EXPECT_SUB(assigned, "LIST", 28);
}  // the last holder destroys the stream

TEST_P(RiffRead, WithoutAStreamEveryOperationFails) {
    CRIFF riff;
    OpenRiff(riff, Wave());
    riff.Close();
    char buffer[8];
    EXPECT_EQ(riff.Read(buffer, 8), 0);
    EXPECT_EQ(riff.ReadCurrentSubChunk(buffer, 8), -1);
    EXPECT_EQ(riff.SeekToChunk(Code("data"), 1, 1), 0);
    EXPECT_EQ(riff.SeekToLevelBeginning(), 0);
    EXPECT_EQ(riff.SeekToNextChunk(), 0);
    EXPECT_EQ(riff.SeekToPreviousChunk(), 0);
    EXPECT_EQ(riff.SeekToChunkAtOffset(12), 0);
    EXPECT_EQ(riff.Descend(), 0);
    EXPECT_EQ(riff.Ascend(), 0);
    EXPECT_EQ(riff.WriteSubChunk(Code("abcd"), buffer, 8), 0);
    EXPECT_EQ(riff.WriteListChunkHeader(Code("abcd")), 0);
    EXPECT_EQ(riff.Write(buffer, 8), 0);
    EXPECT_EQ(riff.StartWriteStream(Code("abcd")), 0);
    EXPECT_EQ(riff.WriteStreamData(buffer, 8), 0);
    EXPECT_EQ(riff.EndWriteStream(), 0);
    CRIFF fresh;
    _chunkInfo master{1, 1, 1};
    _subChunk sub{1, 1};
    fresh.GetCurrentChunkInfo(&master, &sub);
    EXPECT_EQ(master.id, 0u);
    EXPECT_EQ(sub.size, 0);
    EXPECT_EQ(fresh.SeekToNextChunk(), 0);
}

struct CorruptCase {
    const char* name;
    std::string bytes;
};

TEST_P(RiffRead, CorruptSizesNeverLeadBackwardsOrOverflow) {
    const std::string minus = ChunkWithSize("bad ", 0xFFFFFFF0ul, "");
    const std::string huge = ChunkWithSize("big ", 0x7FFFFFF0ul, "");
    const std::vector<CorruptCase> cases = {
        {"NegativeFirst", Riff("WAVE", {minus, Chunk("data", "1")})},
        {"NegativeSecond", Riff("WAVE", {Chunk("fmt ", "1234"), minus, Chunk("data", "1")})},
        {"PastThe31BitEnd", Riff("WAVE", {Chunk("fmt ", "1234"), huge, Chunk("data", "1")})},
    };
    for (const CorruptCase& c : cases) {
        CRIFF riff;
        OpenRiff(riff, c.bytes);
        // Walking forward ends, never revisiting an offset.
        int steps = 0;
        while (riff.SeekToNextChunk() == 1 && steps < 100) ++steps;
        EXPECT_LT(steps, 100) << c.name;
        ASSERT_EQ(riff.SeekToLevelBeginning(), 1) << c.name;
        SetLastError(0);
        EXPECT_EQ(riff.SeekToChunk(Code("data"), 1, 1), 0) << c.name;
        EXPECT_EQ(GetLastError(), ERR_RIFF_CHUNK_READ) << c.name;
        // The previous-chunk walk over the corrupt chunk ends too.
        ASSERT_EQ(riff.SeekToChunkAtOffset(static_cast<LONG>(c.bytes.size() - 9)), 1) << c.name;
        EXPECT_EQ(riff.SeekToPreviousChunk(), 0) << c.name;
    }
}

TEST_P(RiffRead, ListHeaderTooShortIsRefusedWithNothingChanged) {
    const std::string shortList = "LIST" + Word(2) + "ab";
    CRIFF riff;
    OpenRiff(riff, Riff("WAVE", {Chunk("fmt ", "1234"), shortList, Chunk("data", "1")}));
    ASSERT_EQ(riff.SeekToNextChunk(), 1);
    EXPECT_SUB(riff, "LIST", 2);
    SetLastError(0);
    EXPECT_EQ(riff.Descend(), 0);
    EXPECT_EQ(GetLastError(), ERR_RIFF_HEADER_READ);
    EXPECT_EQ(riff.LevelsDown(), 0);
    EXPECT_SUB(riff, "LIST", 2);
    EXPECT_EQ(ToString(riff.GetMasterChunk()->id), "RIFF");
    EXPECT_EQ(riff.SeekToNextChunk(), 1);  // the walk goes on at the same level
    EXPECT_SUB(riff, "data", 1);
}

INSTANTIATE_TEST_SUITE_P(BothKinds, RiffRead, ::testing::Values(kFileKind, kMemoryKind), RiffKindName);

}  // namespace
