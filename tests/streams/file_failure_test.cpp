// The file stream where the plain steps would crash or lose data: closed
// streams, paths and offsets that do not fit, 32-bit limits, failed flushes
// and read-only files.
#include <filesystem>
#include <system_error>

#include "platform/fault.h"
#include "tests/streams/file_fixture.h"
#include "tests/support/fault_guard.h"

namespace {

using quor::fault::Site;
using quor::test::FileStreamTest;
using quor::test::Pattern;
using quor::test::ReadFile;
using quor::test::WriteFile;

using quor::test::FaultGuard;

void ExpectClosedStreamRefusesEverything(CFileObj& stream) {
    char buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, 8), 0);
    EXPECT_EQ(stream.Write(buffer, 8), 0);
    SetLastError(0);
    EXPECT_EQ(stream.Seek(0, SEEK_SET), 0);
    EXPECT_EQ(GetLastError(), ERR_STREAM_SEEK);
    EXPECT_EQ(stream.Seek(0, SEEK_CUR), 0);
    EXPECT_EQ(stream.Seek(0, SEEK_END), 0);
    EXPECT_EQ(stream.SetDataOffsets(0, 4), 0);
    EXPECT_EQ(stream.SetVirtualStart(0), 0);
    EXPECT_EQ(stream.SeekToData(0), 0);
    EXPECT_EQ(stream.ReadData(buffer, 8), 0);
    stream.SetDataMode(1);
    EXPECT_EQ(stream.ReadData(buffer, 8), 0);
    stream.SetWriteMode(1);
    EXPECT_EQ(stream.WriteData(buffer, 8, 1), -1);
    EXPECT_EQ(stream.WriteData(buffer, 8, 0), -1);
    EXPECT_EQ(stream.Tell(), 0);
    EXPECT_EQ(stream.Size(), 0);
}

TEST_F(FileStreamTest, NeverOpenedStreamRefusesEverything) {
    CFileObj stream;
    ExpectClosedStreamRefusesEverything(stream);
}

TEST_F(FileStreamTest, ClosedStreamRefusesEverything) {
    CFileObj stream;
    OpenPattern(stream, 100, 0, 1);
    ASSERT_EQ(stream.SetDataOffsets(10, 20), 1);
    stream.Close();
    ExpectClosedStreamRefusesEverything(stream);
    EXPECT_EQ(stream.GetDataStart(), 10);
    EXPECT_EQ(stream.GetDataEnd(), 20);
}

TEST_F(FileStreamTest, PathsThatDoNotFitAreRefusedUntouched) {
    // 259 characters fit with the terminator; 260 do not.
    const std::string prefix = m_dir.Path("");
    const std::string fits = prefix + std::string(259 - prefix.size(), 'a');
    const std::string tooLong = fits + "b";
    ASSERT_EQ(fits.size(), 259u);
    CFileObj stream;
    EXPECT_EQ(stream.Create(tooLong.c_str()), 0);
    EXPECT_EQ(stream.Open(tooLong.c_str(), 0, 1), 0);
    EXPECT_EQ(stream.IsOpen(), 0);
    EXPECT_EQ(stream.WriteMode(), 0);
    std::error_code error;
    EXPECT_FALSE(std::filesystem::exists(tooLong, error));
    // A path that fits is taken whole, where the system allows a name that long.
    if (stream.Create(fits.c_str()) == 1) {
        EXPECT_STREQ(stream.FilePath(), fits.c_str());
        // A refused path leaves an open stream as it was.
        EXPECT_EQ(stream.Open(tooLong.c_str(), 0, 0), 0);
        EXPECT_EQ(stream.IsOpen(), 1);
        EXPECT_STREQ(stream.FilePath(), fits.c_str());
    }
    EXPECT_EQ(stream.Open(nullptr, 0, 0), 0);
    EXPECT_EQ(stream.Create(nullptr), 0);
}

TEST_F(FileStreamTest, NegativeBaseOffsetIsRefused) {
    CFileObj stream;
    EXPECT_EQ(stream.Open(MakeFile(100).c_str(), -1, 0), 0);
    EXPECT_EQ(stream.IsOpen(), 0);
}

TEST_F(FileStreamTest, FilesOf2GiBOrMoreAreRefused) {
    const std::string path = m_dir.Path("huge.bin");
    WriteFile(path, "");
    std::error_code error;
    std::filesystem::resize_file(path, 0x80000000ull, error);  // sparse on the file systems tests use
    if (error) GTEST_SKIP() << "cannot make a 2 GiB file here: " << error.message();
    CFileObj stream;
    EXPECT_EQ(stream.Open(path.c_str(), 0, 0), 0);
    EXPECT_EQ(stream.IsOpen(), 0);
    std::filesystem::resize_file(path, 0x7FFFFFF0ull, error);
    ASSERT_FALSE(error);
    ASSERT_EQ(stream.Open(path.c_str(), 0, 1), 1);
    EXPECT_EQ(stream.Size(), 0x7FFFFFF0);
    ASSERT_EQ(stream.Seek(0, SEEK_END), 1);
    char bytes[32] = {};
    EXPECT_EQ(stream.Write(bytes, 32), 15);  // up to position 0x7FFFFFFF, no further
    EXPECT_EQ(stream.Size(), 0x7FFFFFFF);
    EXPECT_EQ(stream.Write(bytes, 1), 0);
    EXPECT_EQ(stream.Tell(), 0x7FFFFFFF);
    stream.Close();
    EXPECT_EQ(std::filesystem::file_size(path), 0x7FFFFFFFull);
}

TEST_F(FileStreamTest, FailedFlushReportsTheBytesUnwritten) {
    FaultGuard guard;
    CFileObj stream;
    OpenPattern(stream, 10, 0, 1);
    ASSERT_EQ(stream.Seek(10, SEEK_SET), 1);
    char bytes[4] = {'a', 'b', 'c', 'd'};
    quor::fault::FailNth(Site::FileFlush, 1);
    EXPECT_EQ(stream.Write(bytes, 4), 0);
    EXPECT_EQ(stream.Tell(), 10);
    EXPECT_EQ(stream.Size(), 10);
    // The dropped bytes never turn up later; the next write lands where it should.
    EXPECT_EQ(stream.Write(bytes + 2, 2), 2);
    EXPECT_EQ(ReadFile(m_dir.Path("data.bin")), Pattern(10) + "cd");
}

TEST_F(FileStreamTest, WriteToAFullDeviceReportsFewerBytes) {
    std::error_code error;
    if (!std::filesystem::exists("/dev/full", error)) GTEST_SKIP() << "no full device here";
    CFileObj stream;
    ASSERT_EQ(stream.Open("/dev/full", 0, 1), 1);
    char bytes[64] = {};
    EXPECT_LT(stream.Write(bytes, 64), 64);
}

TEST_F(FileStreamTest, ReadOnlyFileWritesNothingWhateverTheWriteMode) {
    CFileObj stream;
    OpenPattern(stream, 20, 0, 0);
    stream.SetWriteMode(1);
    char bytes[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(stream.Write(bytes, 4), 0);
    EXPECT_EQ(stream.Tell(), 0);
    ASSERT_EQ(stream.SetDataOffsets(0, 10), 1);
    EXPECT_EQ(stream.WriteData(bytes, 4, 1), 0);
    stream.Close();
    EXPECT_EQ(ReadFile(m_dir.Path("data.bin")), Pattern(20));
}

TEST_F(FileStreamTest, FailedOpenAndAllocationAreReportedCleanly) {
    FaultGuard guard;
    CFileObj stream;
    OpenPattern(stream, 20);
    quor::fault::FailNth(Site::Alloc, 1);
    EXPECT_EQ(stream.Copy(), nullptr);
    quor::fault::FailNth(Site::FileOpen, 1);
    EXPECT_EQ(stream.Copy(), nullptr);
    EXPECT_EQ(stream.IsOpen(), 1);
    CRefObj* copy = stream.Copy();
    ASSERT_NE(copy, nullptr);
    DeleteRefObject(&copy);
}

TEST_F(FileStreamTest, FailedReadAndWriteReportWhatMoved) {
    FaultGuard guard;
    CFileObj stream;
    OpenPattern(stream, 20, 0, 1);
    char buffer[8];
    quor::fault::FailNth(Site::FileRead, 1);
    EXPECT_EQ(stream.Read(buffer, 8), 0);
    EXPECT_EQ(stream.Tell(), 0);
    quor::fault::FailNth(Site::FileWrite, 1);
    EXPECT_EQ(stream.Write(buffer, 8), 0);
    EXPECT_EQ(stream.Tell(), 0);
    EXPECT_EQ(stream.Size(), 20);
}

}  // namespace
