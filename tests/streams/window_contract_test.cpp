// The data-window behaviour that the file stream and the memory stream share,
// run as one table over both kinds.
#include <gtest/gtest.h>

#include "tests/support/files.h"
#include "tests/support/stream_kinds.h"

namespace {

using quor::test::ContentOf;
using quor::test::Pattern;
using quor::test::StreamKind;
using quor::test::TempDir;

class WindowContract : public ::testing::TestWithParam<StreamKind> {
protected:
    std::unique_ptr<CRefObj> Make(size_t size, bool writable = false) {
        return GetParam().make(m_dir, Pattern(size), writable);
    }
    TempDir m_dir;
};

struct SeekToDataCase {
    LONG offset;
    LONG tell;
};

TEST_P(WindowContract, SeekToDataWrapsFromTheVirtualStart) {
    auto stream = Make(100);
    ASSERT_EQ(stream->SetDataOffsets(10, 50), 1);
    ASSERT_EQ(stream->SetVirtualStart(30), 1);
    for (const SeekToDataCase c : {SeekToDataCase{0, 40}, {15, 15}, {10, 10}, {9, 49}, {-30, 10}, {-31, 9}}) {
        EXPECT_EQ(stream->SeekToData(c.offset), 1) << c.offset;
        EXPECT_EQ(stream->Tell(), c.tell) << c.offset;
    }
}

TEST_P(WindowContract, VirtualStartRunsFromZeroToTheWindowSize) {
    auto stream = Make(100);
    ASSERT_EQ(stream->SetDataOffsets(10, 50), 1);
    EXPECT_EQ(stream->DataSize(), 40);
    EXPECT_EQ(stream->SetVirtualStart(40), 1);
    EXPECT_EQ(stream->SetVirtualStart(41), 0);
    EXPECT_EQ(stream->SetVirtualStart(-1), 0);
    EXPECT_EQ(stream->GetVirtualStart(), 40);
    EXPECT_EQ(stream->SetDataOffsets(0, 100), 1);
    EXPECT_EQ(stream->GetVirtualStart(), 0);
}

TEST_P(WindowContract, LoopingReadWrapsAtTheDataEnd) {
    auto stream = Make(100);
    ASSERT_EQ(stream->SetDataOffsets(10, 20), 1);
    ASSERT_EQ(stream->Seek(15, SEEK_SET), 1);
    stream->SetDataMode(1);
    std::string got(25, '\0');
    EXPECT_EQ(stream->ReadData(got.data(), 25), 25);
    const std::string all = Pattern(100);
    EXPECT_EQ(got, all.substr(15, 5) + all.substr(10, 10) + all.substr(10, 10));
    EXPECT_EQ(stream->Tell(), 20);
    ASSERT_EQ(stream->Seek(15, SEEK_SET), 1);
    EXPECT_EQ(stream->ReadData(got.data(), 12), 12);
    EXPECT_EQ(got.substr(0, 12), all.substr(15, 5) + all.substr(10, 7));
    EXPECT_EQ(stream->Tell(), 17);
    EXPECT_EQ(stream->ReadData(got.data(), 0), 0);
    EXPECT_EQ(stream->ReadData(got.data(), -5), 0);
}

TEST_P(WindowContract, BoundedReadStopsAtTheDataEnd) {
    auto stream = Make(100);
    char buffer[32];
    ASSERT_EQ(stream->SetDataOffsets(10, 20), 1);
    ASSERT_EQ(stream->Seek(15, SEEK_SET), 1);
    EXPECT_EQ(stream->ReadData(buffer, 25), 5);
    EXPECT_EQ(stream->Tell(), 20);
    EXPECT_EQ(stream->ReadData(buffer, 25), 0);
    ASSERT_EQ(stream->Seek(5, SEEK_SET), 1);  // begins at the position, even before the start
    EXPECT_EQ(stream->ReadData(buffer, 32), 15);
}

TEST_P(WindowContract, WriteDataNeedsTheWriteMode) {
    auto stream = Make(100, false);
    ASSERT_EQ(stream->SetDataOffsets(10, 20), 1);
    char bytes[8] = {'1', '2', '3', '4', '5', '6', '7', '8'};
    EXPECT_EQ(stream->WriteData(bytes, 8, 1), -1);
    EXPECT_EQ(stream->WriteData(bytes, 8, 0), -1);
    EXPECT_EQ(ContentOf(*stream), Pattern(100));
}

TEST_P(WindowContract, WriteDataAppendsAtTheDataEndOrStaysInside) {
    auto stream = Make(100, true);
    ASSERT_EQ(stream->SetDataOffsets(10, 20), 1);
    char bytes[8] = {'1', '2', '3', '4', '5', '6', '7', '8'};
    EXPECT_EQ(stream->WriteData(bytes, 8, 1), 8);
    EXPECT_EQ(stream->GetDataEnd(), 28);
    EXPECT_EQ(stream->Tell(), 28);
    ASSERT_EQ(stream->Seek(24, SEEK_SET), 1);
    EXPECT_EQ(stream->WriteData(bytes, 8, 0), 4);  // cut at the data end
    EXPECT_EQ(stream->WriteData(bytes, 8, 0), 0);
    std::string expected = Pattern(100);
    expected.replace(20, 8, "12341234");
    EXPECT_EQ(ContentOf(*stream), expected);
}

TEST_P(WindowContract, WriteDataAppendGrowsTheStream) {
    auto stream = Make(30, true);
    ASSERT_EQ(stream->SetDataOffsets(20, 30), 1);
    char bytes[6] = {'a', 'b', 'c', 'd', 'e', 'f'};
    EXPECT_EQ(stream->WriteData(bytes, 6, 1), 6);
    EXPECT_EQ(stream->Size(), 36);
    EXPECT_EQ(stream->DataSize(), 16);
    EXPECT_EQ(ContentOf(*stream), Pattern(30) + "abcdef");
}

INSTANTIATE_TEST_SUITE_P(BothKinds, WindowContract, ::testing::Values(quor::test::kFileKind, quor::test::kMemoryKind),
                         [](const ::testing::TestParamInfo<StreamKind>& info) { return info.param.name; });

}  // namespace
