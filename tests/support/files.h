// Small files for tests: written and read back whole.
#pragma once

#include <string>

namespace quor::test {

// A string of `size` bytes whose byte i is (i * 7 + 3) mod 251: every byte
// tells where it came from.
std::string Pattern(size_t size);

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

}  // namespace quor::test
