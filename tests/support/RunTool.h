// Runs a built tool the way a user's shell would, capturing its exit code and both streams.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TempDir.h"

struct ToolResult {
    int code = -1;
    std::string out, err;
};

inline std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs exe with args in directory cwd.
inline ToolResult RunTool(const std::string& exe, const std::vector<std::string>& args,
                          const std::filesystem::path& cwd) {
    TempDir capture;
    std::string command = "cd " + ShellQuote(cwd.string()) + " && " + ShellQuote(exe);
    for (const std::string& a : args) command += " " + ShellQuote(a);
    command += " > " + ShellQuote((capture / "out").string()) + " 2> " + ShellQuote((capture / "err").string()) +
               " < /dev/null";
    int status = std::system(command.c_str());
    ToolResult r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadFile(capture / "out");
    r.err = ReadFile(capture / "err");
    return r;
}
