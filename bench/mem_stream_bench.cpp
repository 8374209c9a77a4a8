// Memory stream Read and Write against memcpy out of and into a std::vector of
// the same size: 64 KiB pieces over a stream of one block, and 64-byte reads
// over a stream built from many 64-byte writes (one block each), whose cost
// per read must not grow with the number of blocks.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/ratio_reporter.h"
#include "module/quor.h"

namespace {

constexpr long kOneBlockBytes = 16L << 20;

std::vector<char>& Source() {
    static std::vector<char> bytes = [] {
        std::vector<char> b(static_cast<size_t>(kOneBlockBytes));
        for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<char>(i * 13);
        return b;
    }();
    return bytes;
}

void ReadOneBlockQuor(benchmark::State& state) {
    CMemObj stream;
    stream.Open(reinterpret_cast<unsigned char*>(Source().data()), static_cast<ULONG>(kOneBlockBytes));
    std::vector<char> piece(64 << 10);
    for (auto _ : state) {
        if (stream.Read(piece.data(), 64 << 10) != (64 << 10)) stream.Seek(0, SEEK_SET);
        benchmark::DoNotOptimize(piece.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * (64 << 10));
}

void ReadOneBlockPlain(benchmark::State& state) {
    std::vector<char> memory(Source());
    std::vector<char> piece(64 << 10);
    size_t at = 0;
    for (auto _ : state) {
        if (at + piece.size() > memory.size()) at = 0;
        std::memcpy(piece.data(), memory.data() + at, piece.size());
        at += piece.size();
        benchmark::DoNotOptimize(piece.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * (64 << 10));
}

void WriteOneBlockQuor(benchmark::State& state) {
    CMemObj stream;
    stream.Open(reinterpret_cast<unsigned char*>(Source().data()), static_cast<ULONG>(kOneBlockBytes));
    std::vector<char> piece(64 << 10, 'w');
    for (auto _ : state) {
        if (stream.Tell() + (64 << 10) > kOneBlockBytes) stream.Seek(0, SEEK_SET);
        benchmark::DoNotOptimize(stream.Write(piece.data(), 64 << 10));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * (64 << 10));
}

void WriteOneBlockPlain(benchmark::State& state) {
    std::vector<char> memory(Source());
    std::vector<char> piece(64 << 10, 'w');
    size_t at = 0;
    for (auto _ : state) {
        if (at + piece.size() > memory.size()) at = 0;
        std::memcpy(memory.data() + at, piece.data(), piece.size());
        at += piece.size();
        benchmark::DoNotOptimize(memory.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * (64 << 10));
}

// A stream of `blocks` blocks of 64 bytes each.
CMemObj* ManyBlocks(long blocks) {
    auto* stream = new CMemObj;
    stream->Create();
    for (long i = 0; i < blocks; ++i) stream->Write(Source().data() + (i % 1000) * 64, 64);
    return stream;
}

void ReadSmallQuor(benchmark::State& state) {
    const long blocks = state.range(0);
    CMemObj* stream = ManyBlocks(blocks);
    char piece[64];
    for (auto _ : state) {
        if (stream->Read(piece, 64) != 64) stream->Seek(0, SEEK_SET);
        benchmark::DoNotOptimize(piece);
    }
    delete stream;
    state.SetBytesProcessed(int64_t(state.iterations()) * 64);
}

void ReadSmallPlain(benchmark::State& state) {
    const size_t bytes = static_cast<size_t>(state.range(0)) * 64;
    std::vector<char> memory(bytes, 'm');
    char piece[64];
    size_t at = 0;
    for (auto _ : state) {
        if (at + 64 > memory.size()) at = 0;
        std::memcpy(piece, memory.data() + at, 64);
        at += 64;
        benchmark::DoNotOptimize(piece);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 64);
}

// Reads at scattered offsets: each one needs a search for its block.
void ReadScatteredQuor(benchmark::State& state) {
    const long blocks = state.range(0);
    CMemObj* stream = ManyBlocks(blocks);
    char piece[64];
    uint32_t seed = 12345;
    for (auto _ : state) {
        seed = seed * 1664525u + 1013904223u;
        stream->Seek(static_cast<LONG>((seed >> 4) % static_cast<uint32_t>(blocks * 64 - 64)), SEEK_SET);
        benchmark::DoNotOptimize(stream->Read(piece, 64));
    }
    delete stream;
}

void ReadScatteredPlain(benchmark::State& state) {
    const size_t bytes = static_cast<size_t>(state.range(0)) * 64;
    std::vector<char> memory(bytes, 'm');
    char piece[64];
    uint32_t seed = 12345;
    for (auto _ : state) {
        seed = seed * 1664525u + 1013904223u;
        std::memcpy(piece, memory.data() + (seed >> 4) % (bytes - 64), 64);
        benchmark::DoNotOptimize(piece);
    }
}

BENCHMARK(ReadOneBlockPlain)->Name("OneBlock/Read64KiB/plain");
BENCHMARK(ReadOneBlockQuor)->Name("OneBlock/Read64KiB/quor");
BENCHMARK(WriteOneBlockPlain)->Name("OneBlock/Write64KiB/plain");
BENCHMARK(WriteOneBlockQuor)->Name("OneBlock/Write64KiB/quor");
BENCHMARK(ReadSmallPlain)->Name("ManyBlocks/Read64/plain")->Arg(1000)->Arg(100000);
BENCHMARK(ReadSmallQuor)->Name("ManyBlocks/Read64/quor")->Arg(1000)->Arg(100000);
BENCHMARK(ReadScatteredPlain)->Name("ManyBlocks/SeekRead64/plain")->Arg(1000)->Arg(100000);
BENCHMARK(ReadScatteredQuor)->Name("ManyBlocks/SeekRead64/quor")->Arg(1000)->Arg(100000);

}  // namespace

int main(int argc, char** argv) { return quor::bench::RunWithRatios(argc, argv); }
