#include "tests/streams/file_fixture.h"

namespace {

using quor::test::FileStreamTest;

constexpr DWORD kUntouched = 0xDEAD;

struct SeekCase {
    const char* name;
    LONG base;  // base offset of a 100-byte file
    int dataMode;
    LONG from;  // stream position before the seek
    LONG offset;
    int whence;
    int result;
    LONG tell;    // Tell() afterwards
    DWORD error;  // last-error value afterwards
};

class FileSeek : public FileStreamTest, public ::testing::WithParamInterface<SeekCase> {};

TEST_P(FileSeek, MovesOrRefusesAsTheRulesSay) {
    const SeekCase& c = GetParam();
    CFileObj stream;
    OpenPattern(stream, 100, c.base);
    ASSERT_EQ(stream.Seek(c.from, SEEK_SET), 1);
    stream.SetDataMode(c.dataMode);
    SetLastError(kUntouched);
    EXPECT_EQ(stream.Seek(c.offset, c.whence), c.result);
    EXPECT_EQ(stream.Tell(), c.tell);
    EXPECT_EQ(GetLastError(), c.error);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FileSeek,
    ::testing::Values(SeekCase{"EndWithBaseIsRefusedSilently", 40, 0, 0, 0, SEEK_END, 0, 0, kUntouched},
                      SeekCase{"SetToTheEndWithBase", 40, 0, 0, 60, SEEK_SET, 1, 60, 0},
                      SeekCase{"SetPastTheEndWithBase", 40, 0, 0, 61, SEEK_SET, 0, 0, ERR_STREAM_SEEK},
                      SeekCase{"SetBeforeTheBase", 40, 0, 0, -40, SEEK_SET, 1, -40, 0},
                      SeekCase{"SetBeforeTheFile", 40, 0, 0, -50, SEEK_SET, 0, 0, ERR_STREAM_SEEK},
                      SeekCase{"SetToTheEnd", 0, 0, 0, 100, SEEK_SET, 1, 100, 0},
                      SeekCase{"SetPastTheEnd", 0, 0, 0, 101, SEEK_SET, 0, 0, ERR_STREAM_SEEK},
                      SeekCase{"SetNegative", 0, 0, 0, -1, SEEK_SET, 0, 0, ERR_STREAM_SEEK},
                      SeekCase{"StepPastTheEnd", 0, 0, 90, 50, SEEK_CUR, 1, 140, 0},
                      SeekCase{"StepBeforeTheStart", 0, 0, 10, -20, SEEK_CUR, 0, 10, ERR_STREAM_SEEK},
                      SeekCase{"StepBack", 0, 0, 30, -20, SEEK_CUR, 1, 10, 0},
                      SeekCase{"LoopingStepBackWraps", 0, 1, 10, -20, SEEK_CUR, 1, 90, 0},
                      SeekCase{"LoopingStepForwardWraps", 0, 1, 50, 130, SEEK_CUR, 1, 30, 0},
                      SeekCase{"LoopingSetPastTheEnd", 0, 1, 0, 150, SEEK_SET, 0, 0, ERR_STREAM_SEEK},
                      SeekCase{"FromTheEnd", 0, 0, 0, -10, SEEK_END, 1, 90, 0},
                      SeekCase{"PastTheEndFromTheEnd", 0, 0, 0, 10, SEEK_END, 1, 110, 0},
                      SeekCase{"BeforeTheFileFromTheEnd", 0, 0, 5, -200, SEEK_END, 0, 5, ERR_STREAM_SEEK},
                      SeekCase{"UnknownOrigin", 0, 0, 5, 0, 7, 0, 5, ERR_STREAM_SEEK}),
    [](const ::testing::TestParamInfo<SeekCase>& info) { return std::string(info.param.name); });

TEST_F(FileStreamTest, ReadAfterASeekPastTheEndGivesNothing) {
    CFileObj stream;
    OpenPattern(stream, 100);
    ASSERT_EQ(stream.Seek(90, SEEK_SET), 1);
    ASSERT_EQ(stream.Seek(50, SEEK_CUR), 1);
    char buffer[8];
    EXPECT_EQ(stream.Read(buffer, 8), 0);
}

TEST_F(FileStreamTest, FailedSeekKeepsThePositionOfBufferedReads) {
    CFileObj stream;
    OpenPattern(stream, 70000, 40);
    char buffer[100];
    ASSERT_EQ(stream.Read(buffer, 100), 100);  // the runtime now buffers ahead
    SetLastError(0);
    EXPECT_EQ(stream.Seek(-50, SEEK_SET), 0);  // file position -10
    EXPECT_EQ(GetLastError(), ERR_STREAM_SEEK);
    EXPECT_EQ(stream.Tell(), 100);
    ASSERT_EQ(stream.Read(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), quor::test::Pattern(70000).substr(140, 4));
}

}  // namespace
