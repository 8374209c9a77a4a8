#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/win32.h"
#include "tests/streams/file_fixture.h"

namespace {

using quor::test::FileStreamTest;
using quor::test::Pattern;
using quor::test::ReadFile;

TEST_F(FileStreamTest, NewStreamIsClosed) {
    CFileObj stream;
    EXPECT_EQ(stream.IsOpen(), 0);
    EXPECT_EQ(stream.Type(), 1);
    EXPECT_EQ(stream.References(), 1);
    EXPECT_EQ(stream.WriteMode(), 0);
    EXPECT_EQ(stream.DataMode(), 0);
    EXPECT_EQ(stream.Tell(), 0);
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_EQ(stream.GetDataStart(), -1);
    EXPECT_EQ(stream.GetDataEnd(), -1);
    EXPECT_EQ(stream.GetVirtualStart(), 0);
    EXPECT_EQ(stream.DataSize(), -1);
    EXPECT_STREQ(stream.FilePath(), "");
}

TEST_F(FileStreamTest, OpenOfAMissingFileStillSetsTheWriteMode) {
    for (int writable : {0, 1}) {
        CFileObj stream;
        stream.SetWriteMode(1 - writable);
        EXPECT_EQ(stream.Open(m_dir.Path("absent").c_str(), 0, writable), 0);
        EXPECT_EQ(stream.IsOpen(), 0);
        EXPECT_EQ(stream.WriteMode(), writable);
    }
}

TEST_F(FileStreamTest, BaseOffsetShiftsPositionsAndSize) {
    CFileObj stream;
    OpenPattern(stream, 100, 40);
    EXPECT_EQ(stream.Tell(), 0);
    EXPECT_EQ(stream.Size(), 60);
    EXPECT_EQ(Read(stream, 5), Pattern(100).substr(40, 5));
    EXPECT_EQ(stream.Tell(), 5);
    EXPECT_STREQ(stream.FilePath(), m_dir.Path("data.bin").c_str());
    char copy[260];
    stream.GetFilePath(copy);
    EXPECT_STREQ(copy, stream.FilePath());
}

TEST_F(FileStreamTest, BaseOffsetBeyondTheEndIsAccepted) {
    CFileObj stream;
    OpenPattern(stream, 100, 150);
    EXPECT_EQ(stream.Size(), -50);
    char buffer[10];
    EXPECT_EQ(stream.Read(buffer, 10), 0);
}

TEST_F(FileStreamTest, ReadStopsAtTheEnd) {
    CFileObj stream;
    OpenPattern(stream, 100);
    ASSERT_EQ(stream.Seek(80, SEEK_SET), 1);
    EXPECT_EQ(Read(stream, 50), Pattern(100).substr(80));
    EXPECT_EQ(stream.Tell(), 100);
    char buffer[4];
    EXPECT_EQ(stream.Read(buffer, 4), 0);
    EXPECT_EQ(stream.Read(buffer, 0), 0);
    EXPECT_EQ(stream.Read(buffer, -4), 0);
}

TEST_F(FileStreamTest, WriteGrowsOnlyPastTheEndAndReachesTheFile) {
    CFileObj stream;
    OpenPattern(stream, 100, 0, 1);
    char bytes[20];
    std::memset(bytes, 'w', sizeof bytes);
    ASSERT_EQ(stream.Seek(10, SEEK_SET), 1);
    EXPECT_EQ(stream.Write(bytes, 20), 20);
    EXPECT_EQ(stream.Size(), 100);
    EXPECT_EQ(stream.Tell(), 30);
    ASSERT_EQ(stream.Seek(90, SEEK_SET), 1);
    EXPECT_EQ(stream.Write(bytes, 20), 20);
    EXPECT_EQ(stream.Size(), 110);
    EXPECT_EQ(stream.Write(bytes, -1), 0);
    // Every write is flushed: the file holds the bytes while the stream is open.
    std::string expected = Pattern(100);
    expected.replace(10, 20, std::string(20, 'w'));
    expected.replace(90, 10, std::string(20, 'w'));
    EXPECT_EQ(ReadFile(m_dir.Path("data.bin")), expected);
}

TEST_F(FileStreamTest, ReadThenWriteThenReadInOneUpdateFile) {
    CFileObj stream;
    OpenPattern(stream, 8192, 0, 1);
    EXPECT_EQ(Read(stream, 10), Pattern(8192).substr(0, 10));
    char bytes[5] = {'a', 'b', 'c', 'd', 'e'};
    EXPECT_EQ(stream.Write(bytes, 5), 5);  // lands right after the bytes read
    EXPECT_EQ(stream.Tell(), 15);
    EXPECT_EQ(Read(stream, 5), Pattern(8192).substr(15, 5));
    std::string expected = Pattern(8192);
    expected.replace(10, 5, "abcde");
    EXPECT_EQ(ReadFile(m_dir.Path("data.bin")), expected);
}

TEST_F(FileStreamTest, CreateEmptiesAndWrites) {
    const std::string path = MakeFile(50);
    CFileObj stream;
    ASSERT_EQ(stream.Create(path.c_str()), 1);
    EXPECT_EQ(stream.WriteMode(), 1);
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_EQ(stream.Tell(), 0);
    char bytes[3] = {'x', 'y', 'z'};
    EXPECT_EQ(stream.Write(bytes, 3), 3);
    ASSERT_EQ(stream.Seek(0, SEEK_SET), 1);
    EXPECT_EQ(Read(stream, 10), "xyz");
    EXPECT_EQ(ReadFile(path), "xyz");
}

TEST_F(FileStreamTest, CreateInAMissingDirectoryFails) {
    CFileObj stream;
    EXPECT_EQ(stream.Create(m_dir.Path("missing/new.bin").c_str()), 0);
    EXPECT_EQ(stream.IsOpen(), 0);
    EXPECT_EQ(stream.WriteMode(), 0);
    EXPECT_EQ(stream.Tell(), 0);
    EXPECT_EQ(stream.Size(), 0);
}

TEST_F(FileStreamTest, CloseKeepsPathWindowAndModes) {
    CFileObj stream;
    OpenPattern(stream, 100, 0, 1);
    ASSERT_EQ(stream.SetDataOffsets(10, 50), 1);
    stream.SetDataMode(1);
    stream.Close();
    EXPECT_EQ(stream.IsOpen(), 0);
    EXPECT_EQ(stream.Tell(), 0);
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_EQ(stream.GetDataStart(), 10);
    EXPECT_EQ(stream.GetDataEnd(), 50);
    EXPECT_STREQ(stream.FilePath(), m_dir.Path("data.bin").c_str());
    EXPECT_EQ(stream.WriteMode(), 1);
    EXPECT_EQ(stream.DataMode(), 1);
    stream.Close();  // closing twice is harmless
    // Reopening keeps the window.
    ASSERT_EQ(stream.Open(stream.FilePath(), 0, 0), 1);
    EXPECT_EQ(stream.DataSize(), 40);
}

TEST_F(FileStreamTest, CopyIsAnIndependentReadOnlyStream) {
    CFileObj stream;
    OpenPattern(stream, 100, 20, 1);
    ASSERT_EQ(stream.SetDataOffsets(10, 50), 1);
    ASSERT_EQ(stream.SetVirtualStart(5), 1);
    stream.SetDataMode(1);
    ASSERT_EQ(stream.Seek(30, SEEK_SET), 1);
    stream.AddReference();

    CRefObj* copy = stream.Copy();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Type(), 1);
    EXPECT_EQ(copy->References(), 1);
    EXPECT_EQ(copy->WriteMode(), 0);
    EXPECT_EQ(copy->DataMode(), 0);
    EXPECT_EQ(copy->Tell(), 30);
    EXPECT_EQ(copy->Size(), 80);
    EXPECT_EQ(copy->GetDataStart(), 30);
    EXPECT_EQ(copy->GetDataEnd(), 70);
    EXPECT_EQ(copy->GetVirtualStart(), 5);
    EXPECT_EQ(Read(*copy, 4), Pattern(100).substr(50, 4));
    EXPECT_EQ(stream.Tell(), 30);  // the source's position is its own
    char bytes[2] = {'q', 'q'};
    EXPECT_EQ(copy->Write(bytes, 2), 0);
    DeleteRefObject(&copy);
    EXPECT_EQ(copy, nullptr);
    EXPECT_EQ(Read(stream, 4), Pattern(100).substr(50, 4));
}

TEST_F(FileStreamTest, CopyOfANeverOpenedStreamIsNull) {
    CFileObj stream;
    EXPECT_EQ(stream.Copy(), nullptr);
}

TEST_F(FileStreamTest, CopyFromAStreamWhoseFileIsGone) {
    const std::string path = MakeFile(100);
    CFileObj source;
    ASSERT_EQ(source.Open(path.c_str(), 10, 0), 1);
    ASSERT_EQ(source.Seek(5, SEEK_SET), 1);
    ASSERT_EQ(source.SetDataOffsets(1, 2), 1);
    source.Close();
    CFileObj target;
    SetLastError(0);
    EXPECT_EQ(target.Copy(&source), 0);
    EXPECT_EQ(GetLastError(), ERR_COPY_OPEN_FAILED);
    EXPECT_EQ(target.IsOpen(), 0);
    EXPECT_EQ(target.GetDataStart(), 11);

    CRefObj notAFile;
    SetLastError(0);
    EXPECT_EQ(target.Copy(&notAFile), 0);
    EXPECT_EQ(GetLastError(), ERR_COPY_OPEN_FAILED);
    EXPECT_EQ(target.Copy(nullptr), 0);
}

TEST_F(FileStreamTest, CopyConstructorAndSelfCopy) {
    CFileObj source;
    OpenPattern(source, 64, 0, 1);
    ASSERT_EQ(source.Seek(16, SEEK_SET), 1);
    CFileObj copy(source);
    EXPECT_EQ(copy.IsOpen(), 1);
    EXPECT_EQ(copy.Tell(), 16);
    EXPECT_EQ(copy.WriteMode(), 0);
    EXPECT_EQ(Read(copy, 4), Pattern(64).substr(16, 4));

    // A stream copied into itself reopens its own file read-only in place.
    EXPECT_EQ(source.Copy(&source), 1);
    EXPECT_EQ(source.IsOpen(), 1);
    EXPECT_EQ(source.Tell(), 16);
    EXPECT_EQ(source.WriteMode(), 0);
    EXPECT_EQ(Read(source, 4), Pattern(64).substr(16, 4));
}

TEST_F(FileStreamTest, AssignmentLeavesTwoIndependentStreams) {
    const std::string other = MakeFile(10, "other.bin");
    CFileObj source;
    OpenPattern(source, 100, 0, 1);
    ASSERT_EQ(source.Seek(40, SEEK_SET), 1);
    source.SetDataMode(1);
    source.AddReference();
    {
        CFileObj target;
        ASSERT_EQ(target.Open(other.c_str(), 0, 1), 1);
        target = source;
        EXPECT_EQ(target.References(), 2);  // the base part is assigned, count included
        EXPECT_EQ(target.DataMode(), 1);
        EXPECT_EQ(target.WriteMode(), 0);
        EXPECT_EQ(target.IsOpen(), 1);
        EXPECT_STREQ(target.FilePath(), source.FilePath());
        EXPECT_EQ(target.Tell(), 40);
        EXPECT_EQ(Read(target, 10), Pattern(100).substr(40, 10));
        target = target;  // self-assignment changes nothing
        EXPECT_EQ(target.Tell(), 50);
    }  // the target closes its own file only
    EXPECT_EQ(source.IsOpen(), 1);
    EXPECT_EQ(source.Tell(), 40);
    EXPECT_EQ(Read(source, 10), Pattern(100).substr(40, 10));
    char bytes[1] = {'!'};
    EXPECT_EQ(source.Write(bytes, 1), 1);
}

// Open file descriptors of this process, where the system lists them (-1 elsewhere).
int OpenDescriptors() {
    std::error_code error;
    std::filesystem::directory_iterator it("/proc/self/fd", error);
    if (error) return -1;
    int count = 0;
    for (; it != std::filesystem::directory_iterator(); ++it) ++count;
    return count;
}

TEST_F(FileStreamTest, ReopeningClosesTheOldFileFirst) {
    const std::string first = MakeFile(10, "first.bin");
    const std::string second = MakeFile(20, "second.bin");
    CFileObj other;
    ASSERT_EQ(other.Open(second.c_str(), 0, 0), 1);
    // Under Wine the listing is of the emulator's own descriptors: count only natively.
    const int before = quor::platform::kPosixLayer ? OpenDescriptors() : -1;
    CFileObj stream;
    for (int round = 0; round < 50; ++round) {
        ASSERT_EQ(stream.Open(first.c_str(), 0, 1), 1);
        ASSERT_EQ(stream.Open(second.c_str(), 0, 0), 1);
        EXPECT_EQ(stream.Size(), 20);
        ASSERT_EQ(stream.Create(first.c_str()), 1);
        EXPECT_EQ(stream.Size(), 0);
        ASSERT_EQ(stream.Copy(&other), 1);
        EXPECT_EQ(stream.Size(), 20);
    }
    if (before >= 0) {
        EXPECT_EQ(OpenDescriptors(), before + 1);
    }
    // Nothing holds the first file any more, so even Windows lets it go.
    EXPECT_TRUE(DeleteFileA(first.c_str()));
}

}  // namespace
