// quor tone: writes a 16-bit mono PCM WAV file of a sine tone: a whole "fmt "
// chunk, then the samples as a streamed "data" chunk, piece by piece.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <quor.h>

#include "riff/riff_codes.h"
#include "tools/commands.h"

namespace quor::tool {
namespace {

struct ToneOptions {
    std::string path;
    double seconds = 1.0;
    long rate = 44100;
    double frequency = 440.0;
};

using quor::riff::FourCC;

void Put16(std::vector<char>& out, unsigned value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(std::vector<char>& out, unsigned long value) {
    Put16(out, value & 0xFFFF);
    Put16(out, (value >> 16) & 0xFFFF);
}

int RunTone(const ToneOptions& options) {
    const double frames = options.seconds * double(options.rate);
    if (frames * 2 > 0x7FFFFF00) {
        std::fprintf(stderr, "quor tone: the tone would not fit a RIFF file\n");
        return 1;
    }
    CFileObj stream;
    CRIFF riff;
    if (!stream.Create(options.path.c_str()) || !riff.Create(&stream, FourCC("WAVE"))) {
        std::fprintf(stderr, "quor tone: cannot create %s\n", options.path.c_str());
        return 1;
    }
    std::vector<char> format;
    Put16(format, 1);                                         // PCM
    Put16(format, 1);                                         // mono
    Put32(format, static_cast<unsigned long>(options.rate));  // frames per second
    Put32(format, static_cast<unsigned long>(options.rate) * 2);
    Put16(format, 2);   // bytes per frame
    Put16(format, 16);  // bits per sample
    if (!riff.WriteSubChunk(FourCC("fmt "), format.data(), static_cast<LONG>(format.size())) ||
        !riff.StartWriteStream(FourCC("data"))) {
        std::fprintf(stderr, "quor tone: cannot write %s\n", options.path.c_str());
        return 1;
    }
    const long total = static_cast<long>(frames);
    const double step = 2.0 * 3.14159265358979323846 * options.frequency / double(options.rate);
    std::vector<char> piece;
    for (long frame = 0; frame < total;) {
        piece.clear();
        for (int i = 0; i < 4096 && frame < total; ++i, ++frame) {
            const long sample = std::lround(std::sin(step * double(frame)) * 0.5 * 32767.0);
            Put16(piece, static_cast<unsigned>(sample) & 0xFFFF);
        }
        const LONG size = static_cast<LONG>(piece.size());
        if (riff.WriteStreamData(piece.data(), size) != size) {
            std::fprintf(stderr, "quor tone: cannot write %s\n", options.path.c_str());
            return 1;
        }
    }
    if (!riff.EndWriteStream()) {
        std::fprintf(stderr, "quor tone: cannot complete %s\n", options.path.c_str());
        return 1;
    }
    std::printf("%s: %ld frames of %.1f Hz at %ld Hz, %ld bytes\n", options.path.c_str(), total, options.frequency,
                options.rate, static_cast<long>(stream.Size()));
    return 0;
}

}  // namespace

void AddToneCommand(CLI::App& app, int& status) {
    auto options = std::make_shared<ToneOptions>();
    CLI::App* tone = app.add_subcommand("tone", "Write a 16-bit mono PCM WAV file of a sine tone");
    tone->add_option("OUT", options->path, "WAV file to write")->required();
    tone->add_option("--seconds", options->seconds, "Length in seconds")->check(CLI::Range(0.0, 3600.0));
    tone->add_option("--rate", options->rate, "Frames per second")->check(CLI::Range(1L, 384000L));
    tone->add_option("--freq", options->frequency, "Frequency in Hz")->check(CLI::Range(0.0, 192000.0));
    tone->callback([options, &status] { status = RunTone(*options); });
}

}  // namespace quor::tool
