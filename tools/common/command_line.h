// Command-line parsing shared by the programs built with CLI11: --help
// prints and exits 0, a wrong option prints CLI11's message and exits 2.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>

namespace vorlix::tools {

// Parses argv into app; the exit status to return when the program must
// stop (help shown, or a bad command line), else nothing.
inline std::optional<int> parseCommandLine(CLI::App& app, int argc, char** argv) {
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 2;
    }
    return std::nullopt;
}

}  // namespace vorlix::tools
