// brix_bench_inih_walk: the whole-process peer of an opening. Parses every file whose name
// ends in ".ini" (any letter case) under the directories given, with inih's ini_parse and a
// handler that only counts values, and prints "FILES files, VALUES values". With no
// directory it parses nothing: the start-up floor.
#include <ini.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

int Count(void* user, const char*, const char*, const char*) {
    ++*static_cast<long*>(user);
    return 1;
}

bool IsIni(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".ini";
}

}  // namespace

int main(int argc, char** argv) {
    long files = 0, values = 0;
    for (int i = 1; i < argc; ++i) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[i])) {
            if (!entry.is_regular_file() || !IsIni(entry.path())) continue;
            if (ini_parse(entry.path().c_str(), Count, &values) < 0) {
                std::fprintf(stderr, "cannot read %s\n", entry.path().c_str());
                return 1;
            }
            ++files;
        }
    }
    std::printf("%ld files, %ld values\n", files, values);
    return 0;
}
