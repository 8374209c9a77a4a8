// The quor tool's subcommands. Each adds itself to the application and runs
// when chosen; results are written to standard output, errors to standard error.
#pragma once

#include <CLI/CLI.hpp>

namespace quor::tool {

// `quor cat FILE [--offset N] [--window START END] [--loop BYTES]`
void AddCatCommand(CLI::App& app, int& status);

// `quor lines FILE [--max N]`
void AddLinesCommand(CLI::App& app, int& status);

// `quor riff FILE [--json] [--extract ID]`
void AddRiffCommand(CLI::App& app, int& status);

// `quor tone OUT.wav [--seconds S] [--rate R] [--freq F]`
void AddToneCommand(CLI::App& app, int& status);

}  // namespace quor::tool
