#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "module/quor.h"
#include "streams/mem_obj_inspector.h"
#include "tests/support/files.h"

namespace {

using quor::BlockShape;
using quor::MemObjInspector;
using quor::test::Pattern;

std::vector<BlockShape> Blocks(const CMemObj& stream) { return MemObjInspector::Blocks(stream); }

void Fill(CMemObj& stream, const std::string& bytes) {
    ASSERT_EQ(stream.Open(reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data())),
                          static_cast<ULONG>(bytes.size())),
              1);
}

LONG Write(CMemObj& stream, const std::string& bytes) {
    return stream.Write(const_cast<char*>(bytes.data()), static_cast<LONG>(bytes.size()));
}

std::string ReadAll(CMemObj& stream) {
    stream.Seek(0, SEEK_SET);
    std::string bytes(static_cast<size_t>(stream.Size()) + 16, '\0');
    bytes.resize(static_cast<size_t>(stream.Read(bytes.data(), static_cast<LONG>(bytes.size()))));
    return bytes;
}

// Three blocks of 4, 6 and 8 bytes holding Pattern(18).
void ThreeBlocks(CMemObj& stream) {
    ASSERT_EQ(stream.Create(), 1);
    const std::string all = Pattern(18);
    ASSERT_EQ(Write(stream, all.substr(0, 4)), 4);
    ASSERT_EQ(Write(stream, all.substr(4, 6)), 6);
    ASSERT_EQ(Write(stream, all.substr(10, 8)), 8);
}

TEST(MemObj, NewStreamIsEmpty) {
    CMemObj stream;
    EXPECT_EQ(stream.IsOpen(), 0);
    EXPECT_EQ(stream.Type(), 0);
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_EQ(stream.Tell(), 0);
    EXPECT_EQ(stream.DataSize(), 0);
    EXPECT_EQ(stream.GetDataStart(), -1);
    EXPECT_EQ(stream.GetDataEnd(), -1);
    EXPECT_EQ(stream.GetVirtualStart(), 0);
    EXPECT_EQ(stream.References(), 1);
    char buffer[4];
    EXPECT_EQ(stream.Read(buffer, 4), 0);
    EXPECT_EQ(stream.Copy(nullptr), 0);  // the base's: copies nothing
}

TEST(MemObj, WriteOnANeverOpenedStreamMakesOneBlock) {
    CMemObj stream;
    EXPECT_EQ(Write(stream, Pattern(10)), 10);
    EXPECT_EQ(Blocks(stream), (std::vector<BlockShape>{{10, 0}}));
    EXPECT_EQ(stream.Size(), 10);
    EXPECT_EQ(stream.Tell(), 10);
    EXPECT_EQ(stream.IsOpen(), 0);
}

TEST(MemObj, EachWritePastTheEndAppendsABlockOfExactlyTheBytesLeft) {
    CMemObj stream;
    ThreeBlocks(stream);
    EXPECT_EQ(stream.WriteMode(), 1);
    EXPECT_EQ(stream.Type(), 2);
    EXPECT_EQ(Blocks(stream), (std::vector<BlockShape>{{4, 0}, {6, 4}, {8, 10}}));
    EXPECT_EQ(stream.Size(), 18);
    EXPECT_EQ(ReadAll(stream), Pattern(18));
}

TEST(MemObj, WriteOverlappingTheEndOverwritesThenAppends) {
    CMemObj stream;
    Fill(stream, Pattern(100));
    ASSERT_EQ(stream.Seek(90, SEEK_SET), 1);
    const std::string tail(30, 't');
    EXPECT_EQ(Write(stream, tail), 30);
    EXPECT_EQ(Blocks(stream), (std::vector<BlockShape>{{100, 0}, {20, 100}}));
    EXPECT_EQ(stream.Tell(), 120);
    EXPECT_EQ(stream.Size(), 120);
    EXPECT_EQ(ReadAll(stream), Pattern(90) + tail);
}

TEST(MemObj, WriteAcrossBlocksReplacesInPlace) {
    CMemObj stream;
    ThreeBlocks(stream);
    ASSERT_EQ(stream.Seek(2, SEEK_SET), 1);
    EXPECT_EQ(Write(stream, "ABCDEFGHIJ"), 10);
    EXPECT_EQ(Blocks(stream), (std::vector<BlockShape>{{4, 0}, {6, 4}, {8, 10}}));
    EXPECT_EQ(stream.Tell(), 12);
    EXPECT_EQ(stream.Size(), 18);
    std::string expected = Pattern(18);
    expected.replace(2, 10, "ABCDEFGHIJ");
    EXPECT_EQ(ReadAll(stream), expected);
}

TEST(MemObj, ReadAcrossBlocksInStreamOrder) {
    CMemObj stream;
    ThreeBlocks(stream);
    ASSERT_EQ(stream.Seek(3, SEEK_SET), 1);
    char buffer[12];
    EXPECT_EQ(stream.Read(buffer, 12), 12);
    EXPECT_EQ(std::string(buffer, 12), Pattern(18).substr(3, 12));
    EXPECT_EQ(stream.Read(buffer, 12), 3);
    EXPECT_EQ(stream.Read(buffer, 0), 0);
    EXPECT_EQ(stream.Read(buffer, -1), 0);
}

struct SeekCase {
    LONG offset;
    int whence;
    int result;
    LONG tell;
};

TEST(MemObj, SeekKeepsAnOutOfRangePosition) {
    CMemObj stream;
    Fill(stream, Pattern(100));
    for (const SeekCase c : {SeekCase{-1, SEEK_SET, 0, -1},
                             {0, SEEK_END, 1, 100},
                             {1, SEEK_END, 0, 101},
                             {50, SEEK_SET, 1, 50},
                             {-10, SEEK_CUR, 1, 40},
                             {7, 7, 1, 40},
                             {-41, SEEK_CUR, 0, -1},
                             {7, 7, 0, -1},
                             {0x7FFFFFFF, SEEK_END, 0, 0x7FFFFFFF}}) {
        EXPECT_EQ(stream.Seek(c.offset, c.whence), c.result) << c.offset << "," << c.whence;
        EXPECT_EQ(stream.Tell(), c.tell) << c.offset << "," << c.whence;
    }
    char buffer[4];
    EXPECT_EQ(stream.Read(buffer, 4), 0);
}

TEST(MemObj, WriteOutsideTheContentStoresNothing) {
    CMemObj stream;
    Fill(stream, Pattern(10));
    char bytes[4] = {'x', 'x', 'x', 'x'};
    stream.Seek(20, SEEK_SET);
    EXPECT_EQ(stream.Write(bytes, 4), 0);
    stream.Seek(-3, SEEK_SET);
    EXPECT_EQ(stream.Write(bytes, 4), 0);
    EXPECT_EQ(Blocks(stream), (std::vector<BlockShape>{{10, 0}}));
    EXPECT_EQ(stream.Size(), 10);
    stream.Seek(10, SEEK_SET);  // right at the end appends
    EXPECT_EQ(stream.Write(bytes, 4), 4);
    EXPECT_EQ(stream.Size(), 14);
}

struct OffsetsCase {
    ULONG start, end;
    int result;
    LONG dataStart, dataEnd;
};

TEST(MemObj, DataOffsetsAreCheckedAgainstTheSize) {
    for (const OffsetsCase c : {OffsetsCase{10, 10, 0, 0, -1},
                                {0, 100, 1, 0, 100},
                                {100, 50, 0, 0, 50},
                                {10, 101, 0, 10, -1},
                                {10, 0, 0, 10, -1},
                                {50, 20, 1, 50, 20}}) {
        CMemObj stream;
        Fill(stream, Pattern(100));
        ASSERT_EQ(stream.SetVirtualStart(0), 1);  // DataSize -1: every value >= 0 passes
        ASSERT_EQ(stream.SetVirtualStart(5), 1);
        EXPECT_EQ(stream.SetDataOffsets(c.start, c.end), c.result) << c.start << ".." << c.end;
        EXPECT_EQ(stream.GetDataStart(), c.dataStart) << c.start << ".." << c.end;
        EXPECT_EQ(stream.GetDataEnd(), c.dataEnd) << c.start << ".." << c.end;
        EXPECT_EQ(stream.GetVirtualStart(), 0) << c.start << ".." << c.end;
    }
    CMemObj inverted;
    Fill(inverted, Pattern(100));
    ASSERT_EQ(inverted.SetDataOffsets(50, 20), 1);
    EXPECT_EQ(inverted.DataSize(), -30);
}

TEST(MemObj, OpenSetsTheDataStartOnly) {
    CMemObj stream;
    Fill(stream, Pattern(100));
    EXPECT_EQ(stream.IsOpen(), 1);
    EXPECT_EQ(stream.Type(), 2);
    EXPECT_EQ(stream.GetDataStart(), 0);
    EXPECT_EQ(stream.GetDataEnd(), -1);
    EXPECT_EQ(stream.DataSize(), -1);
    char buffer[8];
    EXPECT_EQ(stream.ReadData(buffer, 8), 0);  // bounded, no window yet
    EXPECT_EQ(stream.WriteData(buffer, 8, 1), -1);
    EXPECT_EQ(stream.Write(buffer, 8), 8);
}

TEST(MemObj, LoopingReadFromBeyondTheWindowGivesNothing) {
    CMemObj stream;
    Fill(stream, Pattern(100));
    ASSERT_EQ(stream.SetDataOffsets(10, 20), 1);
    stream.SetDataMode(1);
    ASSERT_EQ(stream.Seek(25, SEEK_SET), 1);
    char buffer[8];
    EXPECT_EQ(stream.ReadData(buffer, 8), 0);
    EXPECT_EQ(stream.Tell(), 25);
}

TEST(MemObj, SeekToDataBeforeTheStartKeepsThePosition) {
    CMemObj stream;
    Fill(stream, Pattern(100));
    ASSERT_EQ(stream.SetDataOffsets(10, 50), 1);
    ASSERT_EQ(stream.SetVirtualStart(30), 1);
    SetLastError(5);
    EXPECT_EQ(stream.SeekToData(-50), 0);  // aims at -10
    EXPECT_EQ(stream.Tell(), -10);
    EXPECT_EQ(GetLastError(), 5u);  // the memory stream sets no code
    CMemObj empty;
    EXPECT_EQ(empty.SeekToData(0), 0);  // no window: nothing to divide by
    EXPECT_EQ(GetLastError(), 5u);
}

TEST(MemObj, CopyGathersTheBytesIntoOneBlock) {
    CMemObj stream;
    ThreeBlocks(stream);
    ASSERT_EQ(stream.Seek(7, SEEK_SET), 1);
    ASSERT_EQ(stream.SetDataOffsets(2, 12), 1);
    ASSERT_EQ(stream.SetVirtualStart(3), 1);
    stream.SetDataMode(1);
    std::strcpy(MemObjInspector::MutableName(stream), "voice");
    stream.AddReference();
    CRefObj* copy = stream.Copy();
    ASSERT_NE(copy, nullptr);
    auto* memory = static_cast<CMemObj*>(copy);
    EXPECT_EQ(Blocks(*memory), (std::vector<BlockShape>{{18, 0}}));
    EXPECT_EQ(copy->Tell(), 0);
    EXPECT_EQ(copy->Size(), 18);
    EXPECT_EQ(copy->Type(), 2);
    EXPECT_EQ(copy->GetDataStart(), 2);
    EXPECT_EQ(copy->GetDataEnd(), 12);
    EXPECT_EQ(copy->GetVirtualStart(), 3);
    EXPECT_EQ(copy->WriteMode(), 0);
    EXPECT_EQ(copy->DataMode(), 0);
    EXPECT_EQ(copy->References(), 1);
    EXPECT_STREQ(MemObjInspector::Name(*memory), "voice");
    EXPECT_EQ(ReadAll(*memory), Pattern(18));
    DeleteRefObject(&copy);

    CMemObj empty;
    CMemObj emptyCopy(empty);
    EXPECT_TRUE(Blocks(emptyCopy).empty());
    EXPECT_EQ(emptyCopy.Size(), 0);
    EXPECT_EQ(emptyCopy.Type(), 0);
}

TEST(MemObj, CloseFreesTheBlocksAndKeepsTheFields) {
    CMemObj stream;
    Fill(stream, Pattern(100));
    ASSERT_EQ(stream.Seek(40, SEEK_SET), 1);
    stream.Close();
    EXPECT_TRUE(Blocks(stream).empty());
    EXPECT_EQ(stream.IsOpen(), 1);
    EXPECT_EQ(stream.Tell(), 40);
    EXPECT_EQ(stream.Size(), 100);
    char buffer[8];
    EXPECT_EQ(stream.Read(buffer, 8), 0);
    // Nothing is written where no block holds the position...
    EXPECT_EQ(stream.Write(buffer, 8), 0);
    // ...and bytes written from offset 0 land in a block that covers offset 0.
    ASSERT_EQ(stream.Seek(0, SEEK_SET), 1);
    EXPECT_EQ(Write(stream, "fresh"), 5);
    EXPECT_EQ(Blocks(stream), (std::vector<BlockShape>{{5, 0}}));
    ASSERT_EQ(stream.Seek(0, SEEK_SET), 1);
    EXPECT_EQ(stream.Read(buffer, 8), 5);
    EXPECT_EQ(std::string(buffer, 5), "fresh");
    // A copy of a closed stream holds no undefined bytes.
    stream.Close();
    CRefObj* copy = stream.Copy();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Read(buffer, 8), 0);
    DeleteRefObject(&copy);
}

TEST(MemObj, OpenReplacesEarlierBlocks) {
    CMemObj stream;
    ThreeBlocks(stream);
    Fill(stream, "new content");
    EXPECT_EQ(Blocks(stream), (std::vector<BlockShape>{{11, 0}}));
    EXPECT_EQ(stream.Size(), 11);
    EXPECT_EQ(ReadAll(stream), "new content");
    unsigned char byte = 1;
    EXPECT_EQ(stream.Open(&byte, 0), 0);  // an empty block is no content
    EXPECT_EQ(stream.Open(nullptr, 4), 0);
    EXPECT_EQ(ReadAll(stream), "new content");
}

TEST(MemObj, AssignmentDuplicatesTheBytes) {
    CMemObj source;
    ThreeBlocks(source);
    source.SetDataMode(1);
    source.AddReference();
    ASSERT_EQ(source.Seek(5, SEEK_SET), 1);
    CMemObj target;
    Fill(target, Pattern(50));
    target = source;
    EXPECT_EQ(Blocks(target), (std::vector<BlockShape>{{18, 0}}));
    EXPECT_EQ(target.References(), 2);
    EXPECT_EQ(target.DataMode(), 1);
    EXPECT_EQ(target.WriteMode(), 1);
    EXPECT_EQ(target.Tell(), 5);
    EXPECT_EQ(target.Size(), 18);
    EXPECT_EQ(target.Type(), 2);
    // The two streams share nothing: writing one leaves the other.
    ASSERT_EQ(target.Seek(0, SEEK_SET), 1);
    EXPECT_EQ(Write(target, "ZZ"), 2);
    EXPECT_EQ(ReadAll(source), Pattern(18));
    target = target;
    EXPECT_EQ(ReadAll(target).substr(0, 2), "ZZ");
}

}  // namespace
