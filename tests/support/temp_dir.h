// A temporary directory of its own for each test, removed with everything in
// it when the guard goes, so that tests never share files and run in parallel.
#pragma once

#include <filesystem>
#include <string>

namespace quor::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The full path of `name` inside the directory.
    std::string Path(const std::string& name) const;
    const std::filesystem::path& Root() const { return m_root; }

private:
    std::filesystem::path m_root;
};

}  // namespace quor::test
