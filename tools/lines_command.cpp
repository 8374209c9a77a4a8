// quor lines: prints the lines of a file as the line reader gives them, one per
// output line with its number. CR and LF bytes that a line carries in front of
// its text (breaks at the start of a read) are shown as \r and \n.
#include <cstdio>
#include <string>
#include <vector>

#include <quor.h>

#include "tools/commands.h"

namespace quor::tool {
namespace {

struct LinesOptions {
    std::string path;
    long maxLength = 4096;
};

void PrintLine(long number, const char* text, LONG length) {
    std::printf("%6ld  ", number);
    for (LONG i = 0; i < length; ++i) {
        const char c = text[i];
        if (c == '\r')
            std::fputs("\\r", stdout);
        else if (c == '\n')
            std::fputs("\\n", stdout);
        else
            std::putchar(c);
    }
    std::putchar('\n');
}

int RunLines(const LinesOptions& options) {
    CFileObj stream;
    if (!stream.Open(options.path.c_str(), 0, 0)) {
        std::fprintf(stderr, "quor lines: cannot open %s\n", options.path.c_str());
        return 1;
    }
    std::vector<char> buffer(static_cast<size_t>(options.maxLength) + 1);
    long number = 0;
    for (;;) {
        const LONG length = stream.ReadNextString(buffer.data(), static_cast<LONG>(options.maxLength));
        if (length == 0) break;
        PrintLine(++number, buffer.data(), length);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

void AddLinesCommand(CLI::App& app, int& status) {
    auto options = std::make_shared<LinesOptions>();
    CLI::App* lines =
        app.add_subcommand("lines", "Print the lines of a text file, numbered, as the line reader reads them");
    lines->add_option("FILE", options->path, "Text file to read")->required();
    lines->add_option("--max", options->maxLength, "Longest piece of a line read at once; longer lines come in pieces")
        ->check(CLI::Range(1L, 1L << 20));
    lines->callback([options, &status] { status = RunLines(*options); });
}

}  // namespace quor::tool
