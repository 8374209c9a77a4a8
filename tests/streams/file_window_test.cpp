#include "tests/streams/file_fixture.h"

namespace {

using quor::test::FileStreamTest;
using quor::test::Pattern;

TEST_F(FileStreamTest, DataOffsetsCountFromTheBase) {
    CFileObj stream;
    OpenPattern(stream, 200, 100);
    SetLastError(77);
    EXPECT_EQ(stream.SetDataOffsets(5, 5), 0);
    EXPECT_EQ(GetLastError(), 77u);
    EXPECT_EQ(stream.SetDataOffsets(10, 50), 1);
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_EQ(stream.GetDataStart(), 110);
    EXPECT_EQ(stream.GetDataEnd(), 150);
    EXPECT_EQ(stream.DataSize(), 40);
    EXPECT_EQ(stream.GetVirtualStart(), 0);
}

TEST_F(FileStreamTest, VirtualStartLiesWithinTheWindow) {
    CFileObj stream;
    OpenPattern(stream, 100);
    EXPECT_EQ(stream.DataSize(), -1);
    EXPECT_EQ(stream.SetVirtualStart(0), 0);  // no window yet
    ASSERT_EQ(stream.SetDataOffsets(10, 50), 1);
    EXPECT_EQ(stream.SetVirtualStart(40), 1);
    EXPECT_EQ(stream.SetVirtualStart(41), 0);
    EXPECT_EQ(stream.SetVirtualStart(-1), 0);
    EXPECT_EQ(stream.GetVirtualStart(), 40);
    ASSERT_EQ(stream.SetDataOffsets(10, 20), 1);
    EXPECT_EQ(stream.GetVirtualStart(), 0);  // a new window starts at its beginning
}

struct SeekToDataCase {
    LONG offset;
    int result;
    LONG tell;
};

class FileSeekToData : public FileStreamTest, public ::testing::WithParamInterface<SeekToDataCase> {};

TEST_P(FileSeekToData, WrapsAroundTheWindowFromTheVirtualStart) {
    const SeekToDataCase& c = GetParam();
    CFileObj stream;
    OpenPattern(stream, 100);
    ASSERT_EQ(stream.SetDataOffsets(10, 50), 1);
    ASSERT_EQ(stream.SetVirtualStart(30), 1);
    ASSERT_EQ(stream.Seek(3, SEEK_SET), 1);
    SetLastError(0);
    EXPECT_EQ(stream.SeekToData(c.offset), c.result);
    EXPECT_EQ(stream.Tell(), c.tell);
    EXPECT_EQ(GetLastError(), c.result ? 0u : ERR_STREAM_SEEK);
}

INSTANTIATE_TEST_SUITE_P(Table, FileSeekToData,
                         ::testing::Values(SeekToDataCase{0, 1, 40}, SeekToDataCase{15, 1, 15},
                                           SeekToDataCase{10, 1, 10}, SeekToDataCase{9, 1, 49},
                                           SeekToDataCase{-30, 1, 10}, SeekToDataCase{-50, 0, 3}));

TEST_F(FileStreamTest, SeekToDataWithABaseAndWithoutAWindow) {
    CFileObj stream;
    OpenPattern(stream, 100, 20);
    SetLastError(0);
    EXPECT_EQ(stream.SeekToData(0), 0);  // no window: nothing to divide by
    EXPECT_EQ(GetLastError(), ERR_STREAM_SEEK);
    ASSERT_EQ(stream.SetDataOffsets(10, 30), 1);
    EXPECT_EQ(stream.SeekToData(5), 1);
    EXPECT_EQ(stream.Tell(), 15);
    EXPECT_EQ(Read(stream, 2), Pattern(100).substr(35, 2));
}

TEST_F(FileStreamTest, LoopingReadDataOverAnEmptyOrMissingWindowEnds) {
    CFileObj stream;
    OpenPattern(stream, 100);
    stream.SetDataMode(1);
    char buffer[16];
    EXPECT_EQ(stream.ReadData(buffer, 16), 0);      // no window
    ASSERT_EQ(stream.SetDataOffsets(150, 160), 1);  // a window past the file's end
    ASSERT_EQ(stream.Seek(100, SEEK_SET), 1);
    EXPECT_EQ(stream.ReadData(buffer, 16), 0);
    ASSERT_EQ(stream.SetDataOffsets(20, 10), 1);  // an inverted window
    EXPECT_EQ(stream.ReadData(buffer, 16), 0);
}

TEST_F(FileStreamTest, LoopingReadFromBeyondTheWindowGoesBackToItsStart) {
    CFileObj stream;
    OpenPattern(stream, 100);
    ASSERT_EQ(stream.SetDataOffsets(10, 20), 1);
    stream.SetDataMode(1);
    ASSERT_EQ(stream.Seek(60, SEEK_SET), 1);
    char got[3];
    EXPECT_EQ(stream.ReadData(got, 3), 3);
    EXPECT_EQ(std::string(got, 3), quor::test::Pattern(100).substr(10, 3));
}

}  // namespace
