// Opens arbitrary bytes as a stream file archive, checks its checksum and reads every stored
// file: the reader must report bad tables as errors, never read outside the file or its
// buffers, never allocate more than the file could hold, and never hang.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "FuzzHarness.h"
#include "resources/QSStreamFile.h"

namespace {
const std::string& ScratchPath() {
    static const std::string path = "/tmp/brix-fuzz-archive-" + std::to_string(getpid()) + ".qsw";
    return path;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* f = std::fopen(ScratchPath().c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    bool clean = QSStreamFile::Check(ScratchPath()).empty();
    uint32_t stored, computed;
    QSStreamFile::ChecksumMatches(ScratchPath(), &stored, &computed);
    RunGuarded([&] {
        QSStreamFile archive(ScratchPath());
        uint64_t total = 0;
        for (const FileNode& node : archive.Nodes()) {
            ResourceContent content;
            total += archive.ReadContent(node, content);
            if (content.data[node.Len] != 0) __builtin_trap();  // the spare byte stays zero
            // The tools' whole reads: refused exactly when the chunks do not cover the file.
            ResourceContent whole;
            std::string problem;
            const bool covered = archive.Covers(node, &problem);
            if (archive.ReadWhole(node, whole, &problem) != covered) __builtin_trap();
        }
        total += archive.SharedBytes().size();
        for (const std::string& name : archive.IgnoreNames()) total += name.size();
        archive.AccessCode();
        // Whatever Check reports, opening or the code must have raised as a fatal error.
        if (!clean) __builtin_trap();
        static volatile uint64_t sink;
        sink = total;
    });
    return 0;
}
