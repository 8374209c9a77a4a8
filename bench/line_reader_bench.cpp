// The line reader over a 50 MB text file (lines of 20 to 200 characters), on a
// file stream and on a memory stream, against std::getline on an ifstream and
// against fgets, in the same run. The allocations made per line are counted
// (the reader must make none).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "module/quor.h"

namespace {
std::atomic<long> g_allocations{0};
}

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

constexpr size_t kTextBytes = 50u << 20;

const std::string& TextFile() {
    static const std::string path = [] {
        const auto dir = std::filesystem::temp_directory_path() / "quor-bench";
        std::filesystem::create_directories(dir);
        const std::string p = (dir / "lines.txt").string();
        std::string text;
        text.reserve(kTextBytes + 256);
        uint32_t seed = 7;
        while (text.size() < kTextBytes) {
            seed = seed * 1664525u + 1013904223u;
            const size_t length = 20 + (seed >> 8) % 181;
            for (size_t i = 0; i < length; ++i) text.push_back(static_cast<char>('a' + (i + seed) % 26));
            text += "\r\n";
        }
        std::ofstream(p, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
        return p;
    }();
    return path;
}

std::vector<unsigned char>& TextBytes() {
    static std::vector<unsigned char> bytes = [] {
        std::ifstream in(TextFile(), std::ios::binary);
        return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }();
    return bytes;
}

// One iteration reads the whole text; per-line figures come from the counters.
void ReadAllLines(benchmark::State& state, CRefObj& stream) {
    std::vector<char> line(4097);
    long lines = 0;
    long allocations = 0;
    for (auto _ : state) {
        stream.Seek(0, SEEK_SET);
        const long before = g_allocations.load();
        while (stream.ReadNextString(line.data(), 4096) > 0) ++lines;
        allocations += g_allocations.load() - before;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(TextBytes().size()));
    state.counters["allocs_per_line"] = lines ? double(allocations) / double(lines) : 0.0;
}

void LinesFileQuor(benchmark::State& state) {
    CFileObj stream;
    if (!stream.Open(TextFile().c_str(), 0, 0)) state.SkipWithError("open failed");
    ReadAllLines(state, stream);
}

void LinesMemoryQuor(benchmark::State& state) {
    CMemObj stream;
    stream.Open(TextBytes().data(), static_cast<ULONG>(TextBytes().size()));
    ReadAllLines(state, stream);
}

void LinesGetline(benchmark::State& state) {
    std::string line;
    for (auto _ : state) {
        std::ifstream in(TextFile(), std::ios::binary);
        while (std::getline(in, line)) benchmark::DoNotOptimize(line.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(TextBytes().size()));
}

void LinesFgets(benchmark::State& state) {
    std::vector<char> line(4097);
    for (auto _ : state) {
        FILE* file = std::fopen(TextFile().c_str(), "rb");
        while (std::fgets(line.data(), 4097, file) != nullptr) benchmark::DoNotOptimize(line.data());
        std::fclose(file);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(TextBytes().size()));
}

BENCHMARK(LinesGetline)->Name("Lines/File/plain-getline")->Unit(benchmark::kMillisecond);
BENCHMARK(LinesFgets)->Name("Lines/File/plain-fgets")->Unit(benchmark::kMillisecond);
BENCHMARK(LinesFileQuor)->Name("Lines/File/quor")->Unit(benchmark::kMillisecond);
BENCHMARK(LinesGetline)->Name("Lines/Memory/plain-getline")->Unit(benchmark::kMillisecond);
BENCHMARK(LinesFgets)->Name("Lines/Memory/plain-fgets")->Unit(benchmark::kMillisecond);
BENCHMARK(LinesMemoryQuor)->Name("Lines/Memory/quor")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return quor::bench::RunWithRatios(argc, argv); }
