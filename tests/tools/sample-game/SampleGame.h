// Runs the built brix-sample-game and reads back what it wrote through the project's own
// reader, resource manager and localisation table.
#pragma once

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/QSINIFile.h"
#include "core/QSLocalization.h"
#include "resources/QSResourceMgr.h"
#include "support/TempDir.h"

#ifndef BRIX_SAMPLE_GAME
#error "BRIX_SAMPLE_GAME must name the brix-sample-game executable"
#endif

struct ToolRun {
    int exitCode = -1;
    std::string out;  // standard output
    std::string err;  // standard error
};

inline std::string ShellQuote(const std::string& text) {
    std::string q = "'";
    for (char c : text) {
        if (c == '\'') {
            q += "'\\''";
        } else {
            q += c;
        }
    }
    return q + "'";
}

// Runs the tool with args in the working directory cwd (the test's own when empty).
inline ToolRun RunSampleGame(const std::vector<std::string>& args, const std::filesystem::path& cwd = {}) {
    TempDir errors;
    const std::filesystem::path errFile = errors / "stderr.txt";
    std::string cmd;
    if (!cwd.empty()) cmd = "cd " + ShellQuote(cwd.string()) + " && ";
    cmd += ShellQuote(BRIX_SAMPLE_GAME);
    for (const std::string& a : args) cmd += " " + ShellQuote(a);
    cmd += " 2>" + ShellQuote(errFile.string());
    ToolRun run;
    FILE* pipe = popen(cmd.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadFile(errFile);
    return run;
}

// Every file name in dir, sorted.
inline std::vector<std::string> FilesIn(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// An installation opened the way the editor opens one: resource manager, then localisation.
class OpenedInstallation {
public:
    explicit OpenedInstallation(const std::filesystem::path& dir, const std::filesystem::path& package = {}) {
        const std::string pkg = package.string();
        mgr.Init(dir.string().c_str(), package.empty() ? nullptr : pkg.c_str());
        loc.LoadLocalization(mgr);
    }
    ~OpenedInstallation() {
        loc.ReleaseLocalization();
        mgr.FlushINIQueue();
        mgr.UnInit();
    }

    // Full names of the resources matching a pattern such as "Data\ObjectData\units\*.ini".
    std::vector<std::string> Find(const std::string& pattern, bool anyDirectory = false) {
        const std::string dir = pattern.substr(0, pattern.rfind('\\') + 1);
        std::vector<std::string> names;
        QSFindData data;
        QSResourceSearch* search = mgr.FindFirstResource(pattern.c_str(), &data, anyDirectory);
        for (bool more = search != nullptr; more; more = mgr.FindNextResource(search, &data)) {
            if (data.attributes != kFindDirectory) names.push_back(dir + data.fileName);
        }
        mgr.FindCloseResource(search);
        return names;
    }

    std::vector<std::string> Objects(const char* kind) { return Find(std::string("Data\\ObjectData\\") + kind + "\\*.ini"); }

    // The file parsed without translation: values as the game's data spells them.
    std::unique_ptr<QSINIFile> Raw(const std::string& name) {
        auto ini = std::make_unique<QSINIFile>(name);
        ini->LoadText(mgr.ReadTextResource(name.c_str()));
        return ini;
    }

    // A value as the editor sees it: translated, or def when missing.
    std::string Value(const std::string& name, const char* section, const char* key, const char* def = "<absent>") {
        const std::unique_ptr<QSINIFile> ini = Raw(name);
        const char* v = ini->FindValue(section, key);
        return v ? loc.Translate(v) : def;
    }

    QSResourceMgr mgr;
    QSLocalization loc;
};
