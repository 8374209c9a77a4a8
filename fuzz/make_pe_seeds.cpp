// Writes the seed corpus of the PE resource fuzz target: images from the test
// fixture writer that reach every level of the resource directory, both
// optional-header kinds and the version resource.
#include <cstdio>
#include <exception>
#include <string>

#include "tests/support/pe_writer.h"

using quor::test::PeContents;
using quor::test::PeVersion;
using quor::test::WritePe;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    try {
        PeContents sounds;
        sounds.resources = {
            {std::string("WAVE"), std::string("Intro"), std::string(64, 'i')},
            {std::string("WAVE"), std::string("Loop"), std::string(32, 'l')},
            {std::string("WAVE"), uint16_t(7), "seven"},
            {uint16_t(10), std::string("Data"), "ten"},
        };
        sounds.fileVersion = PeVersion{1, 2, 3, 4};
        WritePe(dir + "/sounds32.dll", sounds);
        sounds.pe32Plus = true;
        WritePe(dir + "/sounds64.dll", sounds);

        PeContents version;
        version.fileVersion = PeVersion{10, 0, 19041, 1};
        WritePe(dir + "/version.dll", version);

        PeContents languages;
        languages.resources = {
            {std::string("WAVE"), std::string("Intro"), "english", 0x0409},
            {std::string("WAVE"), std::string("Intro"), "deutsch", 0x0407},
            {std::string("AAAA"), uint16_t(1), "a"},
        };
        WritePe(dir + "/languages.dll", languages);

        WritePe(dir + "/plain.dll", PeContents{});
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
