// File stream Read and Write against the runtime's fread and fwrite+fflush on
// the same file, in 64 KiB and in 64-byte pieces.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "module/quor.h"

namespace {

constexpr long kFileBytes = 32L << 20;  // read over and over; writes wrap here

std::string BenchFile(const char* name) {
    static const auto dir = [] {
        auto path = std::filesystem::temp_directory_path() / "quor-bench";
        std::filesystem::create_directories(path);
        return path;
    }();
    return (dir / name).string();
}

const std::string& InputFile() {
    static const std::string path = [] {
        const std::string p = BenchFile("input.bin");
        std::vector<char> bytes(static_cast<size_t>(kFileBytes));
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 31);
        FILE* f = std::fopen(p.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return p;
    }();
    return path;
}

void ReadQuor(benchmark::State& state) {
    const long piece = state.range(0);
    std::vector<char> buffer(static_cast<size_t>(piece));
    CFileObj stream;
    if (!stream.Open(InputFile().c_str(), 0, 0)) state.SkipWithError("open failed");
    for (auto _ : state) {
        if (stream.Read(buffer.data(), piece) != piece) stream.Seek(0, SEEK_SET);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * piece);
}

void ReadPlain(benchmark::State& state) {
    const long piece = state.range(0);
    std::vector<char> buffer(static_cast<size_t>(piece));
    FILE* file = std::fopen(InputFile().c_str(), "rb");
    for (auto _ : state) {
        if (std::fread(buffer.data(), 1, static_cast<size_t>(piece), file) != static_cast<size_t>(piece))
            std::fseek(file, 0, SEEK_SET);
        benchmark::DoNotOptimize(buffer.data());
    }
    std::fclose(file);
    state.SetBytesProcessed(int64_t(state.iterations()) * piece);
}

void WriteQuor(benchmark::State& state) {
    const long piece = state.range(0);
    std::vector<char> buffer(static_cast<size_t>(piece), 'w');
    CFileObj stream;
    if (!stream.Create(BenchFile("output-quor.bin").c_str())) state.SkipWithError("create failed");
    for (auto _ : state) {
        if (stream.Tell() >= kFileBytes) stream.Seek(0, SEEK_SET);
        benchmark::DoNotOptimize(stream.Write(buffer.data(), piece));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * piece);
}

void WritePlain(benchmark::State& state) {
    const long piece = state.range(0);
    std::vector<char> buffer(static_cast<size_t>(piece), 'w');
    FILE* file = std::fopen(BenchFile("output-plain.bin").c_str(), "w+b");
    long position = 0;
    for (auto _ : state) {
        if (position >= kFileBytes) {
            std::fseek(file, 0, SEEK_SET);
            position = 0;
        }
        position += static_cast<long>(std::fwrite(buffer.data(), 1, static_cast<size_t>(piece), file));
        std::fflush(file);
    }
    std::fclose(file);
    state.SetBytesProcessed(int64_t(state.iterations()) * piece);
}

BENCHMARK(ReadPlain)->Name("Read/plain")->Arg(64)->Arg(64 << 10);
BENCHMARK(ReadQuor)->Name("Read/quor")->Arg(64)->Arg(64 << 10);
BENCHMARK(WritePlain)->Name("Write/plain")->Arg(64)->Arg(64 << 10);
BENCHMARK(WriteQuor)->Name("Write/quor")->Arg(64)->Arg(64 << 10);

}  // namespace

int main(int argc, char** argv) { return quor::bench::RunWithRatios(argc, argv); }
