// The RIFF engine against plain hand-written walkers in the same run:
// stepping through 100,000 small chunks with SeekToNextChunk, and one
// SeekToChunk for an absent id over the same file, on a file stream (against
// fread/fseek) and on a memory stream (against a byte array). Then writing
// 10,000 chunks of 1 KiB at depth 0 and at depth 3, with the cost per open level.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "module/quor.h"
#include "riff/riff_codes.h"

namespace {

using quor::riff::FourCC;
using quor::riff::Load32;
using quor::riff::Store32;

constexpr int kChunks = 100000;
constexpr int kWrites = 10000;

// A RIFF of kChunks chunks of 16 bytes each.
const std::vector<unsigned char>& RiffBytes() {
    static const std::vector<unsigned char> bytes = [] {
        std::vector<unsigned char> b(12 + size_t(kChunks) * 24);
        Store32(b.data(), quor::riff::kRiff);
        Store32(b.data() + 4, static_cast<ULONG>(b.size() - 8));
        Store32(b.data() + 8, FourCC("TEST"));
        for (int i = 0; i < kChunks; ++i) {
            unsigned char* chunk = b.data() + 12 + size_t(i) * 24;
            Store32(chunk, FourCC("smal"));
            Store32(chunk + 4, 16);
            std::memset(chunk + 8, i & 0xFF, 16);
        }
        return b;
    }();
    return bytes;
}

std::filesystem::path BenchDir() {
    auto dir = std::filesystem::temp_directory_path() / "quor-bench";
    std::filesystem::create_directories(dir);
    return dir;
}

const std::string& RiffFile() {
    static const std::string path = [] {
        const std::string p = (BenchDir() / "chunks.riff").string();
        FILE* f = std::fopen(p.c_str(), "wb");
        std::fwrite(RiffBytes().data(), 1, RiffBytes().size(), f);
        std::fclose(f);
        return p;
    }();
    return path;
}

void WalkWithEngine(benchmark::State& state, CRefObj& stream) {
    for (auto _ : state) {
        stream.Seek(0, SEEK_SET);
        CRIFF riff;
        riff.Open(&stream, nullptr);
        int chunks = 1;
        while (riff.SeekToNextChunk()) ++chunks;
        if (chunks != kChunks) state.SkipWithError("walk came short");
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kChunks);
}

void SearchWithEngine(benchmark::State& state, CRefObj& stream) {
    for (auto _ : state) {
        stream.Seek(0, SEEK_SET);
        CRIFF riff;
        riff.Open(&stream, nullptr);
        if (riff.SeekToChunk(FourCC("none"), 0, 1)) state.SkipWithError("found an absent chunk");
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kChunks);
}

void WalkFileQuor(benchmark::State& state) {
    CFileObj stream;
    stream.Open(RiffFile().c_str(), 0, 0);
    WalkWithEngine(state, stream);
}

void WalkMemoryQuor(benchmark::State& state) {
    CMemObj stream;
    stream.Open(const_cast<unsigned char*>(RiffBytes().data()), static_cast<ULONG>(RiffBytes().size()));
    WalkWithEngine(state, stream);
}

void SearchFileQuor(benchmark::State& state) {
    CFileObj stream;
    stream.Open(RiffFile().c_str(), 0, 0);
    SearchWithEngine(state, stream);
}

void SearchMemoryQuor(benchmark::State& state) {
    CMemObj stream;
    stream.Open(const_cast<unsigned char*>(RiffBytes().data()), static_cast<ULONG>(RiffBytes().size()));
    SearchWithEngine(state, stream);
}

// The plain walkers: a seek and an 8-byte header read per chunk, as the engine does.
void WalkFilePlain(benchmark::State& state) {
    FILE* file = std::fopen(RiffFile().c_str(), "rb");
    for (auto _ : state) {
        unsigned char header[12];
        std::fseek(file, 0, SEEK_SET);
        if (std::fread(header, 1, 12, file) != 12) state.SkipWithError("short");
        const long end = 8 + static_cast<long>(Load32(header + 4));
        long offset = 12;
        int chunks = 0;
        while (offset + 8 <= end) {
            std::fseek(file, offset, SEEK_SET);
            if (std::fread(header, 1, 8, file) != 8) break;
            offset += 8 + static_cast<long>(Load32(header + 4));
            ++chunks;
        }
        benchmark::DoNotOptimize(chunks);
    }
    std::fclose(file);
    state.SetItemsProcessed(int64_t(state.iterations()) * kChunks);
}

void SearchFilePlain(benchmark::State& state) {
    FILE* file = std::fopen(RiffFile().c_str(), "rb");
    for (auto _ : state) {
        unsigned char header[8];
        std::fseek(file, 12, SEEK_SET);
        while (std::fread(header, 1, 8, file) == 8) {
            if (Load32(header) == FourCC("none")) break;
            if (std::fseek(file, static_cast<long>(Load32(header + 4)), SEEK_CUR) != 0) break;
        }
    }
    std::fclose(file);
    state.SetItemsProcessed(int64_t(state.iterations()) * kChunks);
}

void WalkMemoryPlain(benchmark::State& state) {
    const std::vector<unsigned char> bytes = RiffBytes();
    for (auto _ : state) {
        const size_t end = 8 + Load32(bytes.data() + 4);
        size_t offset = 12;
        int chunks = 0;
        while (offset + 8 <= end) {
            unsigned char header[8];
            std::memcpy(header, bytes.data() + offset, 8);
            offset += 8 + Load32(header + 4);
            ++chunks;
        }
        benchmark::DoNotOptimize(chunks);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kChunks);
}

void SearchMemoryPlain(benchmark::State& state) {
    const std::vector<unsigned char> bytes = RiffBytes();
    for (auto _ : state) {
        size_t offset = 12;
        while (offset + 8 <= bytes.size()) {
            unsigned char header[8];
            std::memcpy(header, bytes.data() + offset, 8);
            if (Load32(header) == FourCC("none")) break;
            offset += 8 + Load32(header + 4);
        }
        benchmark::DoNotOptimize(offset);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kChunks);
}

// Writes kWrites chunks of 1 KiB at `depth` (lists entered first).
void WriteChunks(benchmark::State& state, CRefObj& (*fresh)(), int depth) {
    std::vector<char> data(1024, 'w');
    for (auto _ : state) {
        CRefObj& stream = fresh();
        CRIFF riff;
        riff.Create(&stream, FourCC("WRIT"));
        for (int level = 0; level < depth; ++level) {
            riff.WriteListChunkHeader(FourCC("levl"));
            riff.Descend();
        }
        for (int i = 0; i < kWrites; ++i) riff.WriteSubChunk(FourCC("blck"), data.data(), 1024);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kWrites);
}

CRefObj& FreshMemory() {
    static CMemObj* stream = nullptr;
    delete stream;
    stream = new CMemObj;
    stream->Create();
    return *stream;
}

CRefObj& FreshFile() {
    static CFileObj stream;
    stream.Create((BenchDir() / "written.riff").string().c_str());
    return stream;
}

void WriteMemory(benchmark::State& state) { WriteChunks(state, FreshMemory, static_cast<int>(state.range(0))); }
void WriteFile(benchmark::State& state) { WriteChunks(state, FreshFile, static_cast<int>(state.range(0))); }

BENCHMARK(WalkFilePlain)->Name("Walk/File/plain")->Unit(benchmark::kMillisecond);
BENCHMARK(WalkFileQuor)->Name("Walk/File/quor")->Unit(benchmark::kMillisecond);
BENCHMARK(WalkMemoryPlain)->Name("Walk/Memory/plain")->Unit(benchmark::kMillisecond);
BENCHMARK(WalkMemoryQuor)->Name("Walk/Memory/quor")->Unit(benchmark::kMillisecond);
BENCHMARK(SearchFilePlain)->Name("SearchAbsent/File/plain")->Unit(benchmark::kMillisecond);
BENCHMARK(SearchFileQuor)->Name("SearchAbsent/File/quor")->Unit(benchmark::kMillisecond);
BENCHMARK(SearchMemoryPlain)->Name("SearchAbsent/Memory/plain")->Unit(benchmark::kMillisecond);
BENCHMARK(SearchMemoryQuor)->Name("SearchAbsent/Memory/quor")->Unit(benchmark::kMillisecond);
BENCHMARK(WriteMemory)->Name("Write1KiB/Memory/depth")->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteFile)->Name("Write1KiB/File/depth")->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond);

void PrintWriteFigures(const quor::bench::CaseTimes& times) {
    std::printf("\n%-24s %16s %16s %20s\n", "writing 1 KiB chunks", "chunks/s depth 0", "chunks/s depth 3",
                "ns per open level");
    for (const char* kind : {"Memory", "File"}) {
        const std::string base = std::string("Write1KiB/") + kind + "/depth/";
        const auto zero = times.find(base + "0");
        const auto three = times.find(base + "3");
        if (zero == times.end() || three == times.end()) continue;
        const double perChunk0 = zero->second / kWrites;
        const double perChunk3 = three->second / kWrites;
        std::printf("%-24s %16.0f %16.0f %20.1f\n", kind, 1e9 / perChunk0, 1e9 / perChunk3,
                    (perChunk3 - perChunk0) / 3.0);
    }
}

}  // namespace

int main(int argc, char** argv) { return quor::bench::RunWithRatios(argc, argv, PrintWriteFigures); }
