#pragma once

#include <string>

namespace solen::test {

struct ShellResult {
    int exitCode = -1;  // -1 when the command could not run or did not exit normally
    std::string output;  // standard output and standard error, interleaved
};

// Runs `command` with /bin/sh and collects what it prints.
ShellResult runShell(const std::string& command);

// `text` quoted for the shell.
std::string shellQuoted(const std::string& text);

}  // namespace solen::test
