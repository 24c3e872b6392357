#include "mods/SamplePreview.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "objects/ObjectCatalogue.h"
#include "resources/QSResourceMgr.h"

namespace {

// The stored bytes of an archived sample, with the resource held while they are copied.
bool ReadArchivedSample(QSResourceMgr& mgr, const std::string& name, std::string& bytes) {
    QSTextFile* file = mgr.GetTextFile(name.c_str());
    if (!file) return false;
    mgr.RequestAndWait(file, 0);
    bytes.assign(file->Data() ? file->Data() : "", file->Data() ? file->Length() : 0);
    mgr.ReleaseResource(file);
    return true;
}

bool ReadSampleFile(const std::string& text, std::string& bytes, std::string& error) {
    const std::filesystem::path path(text);
    std::error_code ec;
    if (text.empty() || !std::filesystem::is_regular_file(path, ec)) {
        error = "\"" + text + "\" is neither a sample of the game nor a file.";
        return false;
    }
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxPreviewBytes) {
        error = "\"" + text + "\" is too large to play.";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    bytes.resize(static_cast<size_t>(size));
    if (!in || !in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        error = "\"" + text + "\" cannot be read.";
        return false;
    }
    return true;
}

}  // namespace

bool LoadSampleAudio(QSResourceMgr& mgr, const ObjectCatalogue& catalogue, const std::string& text,
                     WavAudio& audio, std::string& error) {
    std::string bytes;
    const int listed = catalogue.FindSampleName(text);
    const std::string resource =
        "Audio\\" + (listed >= 0 ? catalogue.SampleNames()[static_cast<size_t>(listed)] : text);
    const bool archived = mgr.Initialised() && !text.empty() && mgr.ResourceExists(resource.c_str());
    if (archived) {
        if (!ReadArchivedSample(mgr, resource, bytes)) {
            error = "\"" + text + "\" cannot be read from the game.";
            return false;
        }
    } else if (!ReadSampleFile(text, bytes, error)) {
        return false;
    }
    std::string problem;
    if (!ReadWav(bytes, audio, &problem)) {
        error = "\"" + text + "\" is not a WAV file that can be played: " + problem + ".";
        return false;
    }
    return true;
}
