#include "tests/support/temp_dir.h"

#include <atomic>
#include <chrono>
#include <random>
#include <stdexcept>
#include <system_error>

namespace quor::test {

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    std::random_device entropy;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto name = "quor-test-" + std::to_string(entropy()) + "-" + std::to_string(counter++);
        std::error_code error;
        if (std::filesystem::create_directory(base / name, error)) {
            m_root = base / name;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TempDir::~TempDir() {
    std::error_code error;
    std::filesystem::remove_all(m_root, error);
}

std::string TempDir::Path(const std::string& name) const { return (m_root / name).string(); }

}  // namespace quor::test
