// quor cat: streams a file through a file stream to standard output, the whole
// of it from a base offset, the bytes of a data window, or the window looped
// over for a given number of bytes.
#include <cstdio>
#include <string>
#include <vector>

#include <quor.h>

#include "platform/console.h"
#include "tools/commands.h"

namespace quor::tool {
namespace {

struct CatOptions {
    std::string path;
    long offset = 0;
    std::vector<unsigned long> window;  // START END, relative to the offset
    long loopBytes = -1;                // -1: no looping
};

int RunCat(const CatOptions& options) {
    CFileObj stream;
    if (!stream.Open(options.path.c_str(), options.offset, 0)) {
        std::fprintf(stderr, "quor cat: cannot open %s at offset %ld\n", options.path.c_str(), options.offset);
        return 1;
    }
    quor::console::BinaryStdout();
    std::vector<char> buffer(64 * 1024);
    const bool windowed = options.window.size() == 2;
    if (windowed) {
        if (!stream.SetDataOffsets(options.window[0], options.window[1]) || stream.DataSize() <= 0) {
            std::fprintf(stderr, "quor cat: the window must have START below END\n");
            return 1;
        }
        if (!stream.SeekToData(0)) {
            std::fprintf(stderr, "quor cat: the window lies outside the file\n");
            return 1;
        }
    }
    long left = options.loopBytes;
    if (options.loopBytes >= 0) stream.SetDataMode(1);
    for (;;) {
        LONG want = static_cast<LONG>(buffer.size());
        if (options.loopBytes >= 0 && left < want) want = static_cast<LONG>(left);
        if (want == 0) break;
        const LONG got = windowed ? stream.ReadData(buffer.data(), want) : stream.Read(buffer.data(), want);
        if (got <= 0) break;
        if (std::fwrite(buffer.data(), 1, static_cast<size_t>(got), stdout) != static_cast<size_t>(got)) return 1;
        if (options.loopBytes >= 0) left -= got;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

void AddCatCommand(CLI::App& app, int& status) {
    auto options = std::make_shared<CatOptions>();
    CLI::App* cat = app.add_subcommand("cat", "Stream a file, a stretch of it, or a data window to standard output");
    cat->add_option("FILE", options->path, "File to read")->required();
    cat->add_option("--offset", options->offset, "Base offset: the file position read as position 0")
        ->check(CLI::NonNegativeNumber);
    cat->add_option("--window", options->window, "Data window START END, counted from the base offset")->expected(2);
    cat->add_option("--loop", options->loopBytes, "Loop over the window until this many bytes are written")
        ->check(CLI::NonNegativeNumber)
        ->needs("--window");
    cat->callback([options, &status] { status = RunCat(*options); });
}

}  // namespace quor::tool
