#include <gtest/gtest.h>

#include <filesystem>

#include "platform/win32.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

using quor::test::TempDir;
using quor::test::WriteFile;

TEST(DeleteFile, RemovesAFileAndReportsWhyItCannot) {
    TempDir dir;
    const std::string path = dir.Path("victim.bin");
    WriteFile(path, "x");
    EXPECT_TRUE(DeleteFileA(path.c_str()));
    EXPECT_FALSE(std::filesystem::exists(path));

    SetLastError(0);
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));

    SetLastError(0);
    EXPECT_FALSE(DeleteFileA(dir.Path("missing-dir/file").c_str()));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));

    std::filesystem::create_directory(dir.Path("sub"));
    SetLastError(0);
    EXPECT_FALSE(DeleteFileA(dir.Path("sub").c_str()));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(std::filesystem::exists(dir.Path("sub")));
}

TEST(DeleteFile, AcceptsBackslashSeparators) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path("sub"));
    WriteFile(dir.Path("sub/file.txt"), "x");
    const std::string path = dir.Root().string() + "\\sub\\file.txt";
    EXPECT_TRUE(DeleteFileA(path.c_str()));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("sub/file.txt")));
}

TEST(Stat, ReportsSizeAndKind) {
    TempDir dir;
    WriteFile(dir.Path("data.bin"), quor::test::Pattern(1234));
    struct _stat status {};
    ASSERT_EQ(_stat(dir.Path("data.bin").c_str(), &status), 0);
    EXPECT_EQ(status.st_size, 1234);
    EXPECT_EQ(status.st_mode & _S_IFMT, _S_IFREG);
    ASSERT_EQ(_stat(dir.Root().string().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & _S_IFMT, _S_IFDIR);
    EXPECT_EQ(_stat(dir.Path("absent").c_str(), &status), -1);
}

TEST(OpenFileLimit, CanBeRaisedTo2048) {
    const int result = _setmaxstdio(2048);
    if (result == -1) GTEST_SKIP() << "the system's hard limit is below 2048";
    EXPECT_EQ(result, 2048);
    EXPECT_GE(_getmaxstdio(), 2048);
}

}  // namespace
