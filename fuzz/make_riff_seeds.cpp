// Writes the RIFF fuzz target's seed corpus: the shapes of file the tests use.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/riff_bytes.h"

using namespace quor::test;

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    std::string nested = List("deep", {Chunk("leaf", "x")});
    for (int i = 0; i < 8; ++i) nested = List("deep", {nested});
    const std::vector<std::pair<const char*, std::string>> seeds = {
        {"wave",
         Riff("WAVE", {Chunk("fmt ", std::string(16, '\x01')),
                       List("INFO", {Chunk("INAM", "abc"), Chunk("ICMT", "hello")}), Chunk("data", "0123456789")})},
        {"nested", Riff("NEST", {nested, Chunk("tail", "t")})},
        {"odd", Riff("ODDS", {Chunk("one ", "abc"), Chunk("two ", "z"), Chunk("zero", "")})},
        {"streamed", "RIFF" + Word(0) + "WAVE" + Chunk("fmt ", "1234") + ChunkWithSize("data", 0, "0123456789")},
        {"empty-list", Riff("WAVE", {List("none", {}), Chunk("next", "1")})},
        {"negative", Riff("WAVE", {Chunk("fmt ", "1234"), ChunkWithSize("bad ", 0xFFFFFFF0u, ""), Chunk("data", "1")})},
    };
    for (const auto& [name, bytes] : seeds) {
        const std::string path = std::string(argv[1]) + "/" + name + ".riff";
        FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr) return 1;
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    return 0;
}
