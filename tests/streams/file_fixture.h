// A temporary directory with a file of patterned bytes, for file-stream tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "module/quor.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace quor::test {

class FileStreamTest : public ::testing::Test {
protected:
    // Writes `size` patterned bytes to `name` and returns the file's path.
    std::string MakeFile(size_t size, const std::string& name = "data.bin") {
        const std::string path = m_dir.Path(name);
        WriteFile(path, Pattern(size));
        return path;
    }

    // Opens a fresh stream on a patterned file of `size` bytes.
    void OpenPattern(CFileObj& stream, size_t size, LONG base = 0, int writable = 0) {
        ASSERT_EQ(stream.Open(MakeFile(size).c_str(), base, writable), 1);
    }

    std::string Read(CRefObj& stream, LONG count) {
        std::string bytes(static_cast<size_t>(count), '\0');
        const LONG got = stream.Read(bytes.data(), count);
        bytes.resize(got > 0 ? static_cast<size_t>(got) : 0);
        return bytes;
    }

    TempDir m_dir;
};

}  // namespace quor::test
