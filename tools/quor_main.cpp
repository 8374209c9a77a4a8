// quor: a command-line tool over the library, for trying it on real files.
#include <CLI/CLI.hpp>

#include "tools/commands.h"

int main(int argc, char** argv) {
    CLI::App app{"quor: streams, RIFF chunks and the other parts of the quor library"};
    app.require_subcommand(1);
    int status = 0;
    quor::tool::AddCatCommand(app, status);
    quor::tool::AddLinesCommand(app, status);
    quor::tool::AddRiffCommand(app, status);
    quor::tool::AddToneCommand(app, status);
    CLI11_PARSE(app, argc, argv);
    return status;
}
