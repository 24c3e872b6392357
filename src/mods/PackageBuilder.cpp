#include "mods/PackageBuilder.h"

#include <fstream>
#include <iterator>
#include <span>

#include "core/HashName.h"
#include "core/QSError.h"
#include "core/QSINIFile.h"
#include "objects/ChangeList.h"
#include "objects/FieldBinding.h"
#include "objects/FieldTable.h"
#include "resources/QSResourceMgr.h"

namespace {

// The record's bonus lists in the order they are written (the record holds them personal,
// company, personal, company... by hero level).
constexpr std::array<int, 8> kWrittenBonusLists = {0, 2, 4, 6, 1, 3, 5, 7};

// The changes filed under one identity: a run of the sorted change list.
std::span<const QSChange* const> ChangesOf(const ChangeList& changes, std::string_view identity) {
    const QSChange* const* first = std::lower_bound(changes.begin(), changes.end(), identity,
        [](const QSChange* c, std::string_view id) { return CompareNames(c->identity, id) < 0; });
    const QSChange* const* last = first;
    while (last != changes.end() && SameName((*last)->identity, identity)) ++last;
    return {first, last};
}

// A file of the local disk, whole; false when it cannot be read.
bool ReadLocalFile(const std::string& path, std::string* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// A name in one letter case, for telling names apart whatever their case.
std::string FoldedName(std::string name) {
    for (char& c : name) c = static_cast<char>(HashFoldByte(static_cast<unsigned char>(c)));
    return name;
}

}  // namespace

std::string ResourceFileTitle(std::string_view path) {
    const size_t slash = path.find_last_of('\\');
    std::string_view title = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = title.find_last_of('.');
    if (dot != std::string_view::npos && title.size() - dot <= 4) title = title.substr(0, dot);
    return std::string(title);
}

PackageBuilder::PackageBuilder(QSResourceMgr& mgr, const ObjectCatalogue& catalogue, const ChangeList& changes,
                               std::string openedPackagePath)
    : mgr_(mgr), catalogue_(catalogue), changes_(changes), openedPackagePath_(std::move(openedPackagePath)) {}

void PackageBuilder::Add(PackageContents& out, std::string name, std::string bytes) {
    const std::string& kept = out.buffers.emplace_back(std::move(bytes));
    out.entries.push_back(PackageEntry::Of(std::move(name), kept));
}

PackageContents PackageBuilder::BuildPackageEntries(const ModIdentity& identity, std::string_view versionHistory) {
    PackageContents out;
    componentsWritten_ = false;
    packedSamples_.clear();
    Add(out, "Data\\ModInfo.ini", WriteModInfoText(identity));
    std::vector<ChangeLogLine> lines;
    lines.reserve(changes_.Count());
    for (const QSChange* c : changes_) lines.push_back({c->identity, c->objectName, c->label, c->before, c->value});
    Add(out, "Data\\ModChanges.txt", WriteModChangesText(identity.savedVersion, lines, versionHistory));
    for (int view : {kViewComponents, kViewGlobal, kViewUnits, kViewHeroes, kViewBuildings}) {
        AddObjectEntries(catalogue_.Objects(view, false), out);
    }
    return out;
}

void PackageBuilder::AddObjectEntries(const QSObjectList& list, PackageContents& out) {
    for (const QSObjectData* record : list) {
        const bool component = IsComponentRecord(*record);
        if (component && componentsWritten_) continue;  // every component is in the first one's entry
        const SoundSlots slots = WrittenSoundSlots(*record);
        if (record->changeState != kUnchanged) {
            componentsWritten_ = componentsWritten_ || component;
            std::string text;
            if (WriteObjectIniText(*record, slots, &text)) Add(out, record->resourceName, std::move(text));
        }
        for (const std::vector<QSSoundData>& group : slots) {
            for (const QSSoundData& slot : group) AddSoundEntry(slot, out);
        }
    }
}

std::span<const QSChange* const> PackageBuilder::ChangesFiledFor(const QSObjectData& record) const {
    // An object's changes are filed under its unique name, every component's under
    // "Components". Both usually equal the file's title, but a unique name is cut at 31
    // characters, so the title of a longer file name would miss them.
    return ChangesOf(changes_, IsComponentRecord(record) ? std::string_view(kComponentsIdentity)
                                                         : std::string_view(record.UniqueName()));
}

PackageBuilder::SoundSlots PackageBuilder::WrittenSoundSlots(const QSObjectData& record) {
    const std::span<const QSChange* const> filed = ChangesFiledFor(record);
    SoundSlots slots;
    for (int g = 0; g < kWrittenSoundGroups; ++g) {
        const WrittenSoundGroup& group = kWrittenSoundGroupTable[static_cast<size_t>(g)];
        std::vector<QSSoundData>& written = slots[static_cast<size_t>(g)];
        written.clear();
        for (std::string_view entered : record.Sounds(group.group))
            written.push_back({std::string(entered), std::string(entered)});
        for (size_t i = 0; i < written.size(); ++i) {
            const std::string key = group.stem + std::to_string(i + 1);
            for (const QSChange* c : filed) {
                if (SameName(c->section, group.section) && SameName(c->key, key)) {
                    written[i] = {c->value, ResolveSoundValue(c->value)};
                }
            }
        }
        SortSoundSlots(written);
    }
    return slots;
}

bool PackageBuilder::WriteObjectIniText(const QSObjectData& record, const SoundSlots& slots, std::string* text) {
    const bool component = IsComponentRecord(record);
    const std::span<const QSChange* const> filed = ChangesFiledFor(record);
    ObjectIniInput in;
    in.sounds = slots;

    const char* source = record.sourceResourceName.empty() ? record.resourceName.c_str() : record.sourceResourceName.c_str();
    // The source is parsed here from its stored bytes, read on this thread: handing thousands
    // of files one by one to the reader thread would cost more than reading them.
    std::string bytes;
    if (!mgr_.ReadStoredBytes(source, bytes)) return false;
    QSINIFile ini;
    ini.LoadText(bytes);
    auto keep = [](const char* s) { return std::string_view(s ? s : ""); };
    std::vector<IniSourceSection> sections;
    for (uint32_t s = 0; s < ini.SectionCount(); ++s) {
        const QSINISection& section = ini.SectionAt(s);
        if (!section.name) continue;
        IniSourceSection& copy = sections.emplace_back(IniSourceSection{keep(section.name), {}});
        for (const QSINIKey* k = section.firstKey; k; k = k->next) {
            if (k->name) copy.keys.push_back({keep(k->name), keep(k->value)});
        }
    }
    in.source = sections;

    std::vector<ObjectIniChange> edits;
    edits.reserve(filed.size());
    for (const QSChange* c : filed) {
        std::string_view section = c->section;
        // A component's changes name its section by its unique name, which may be the
        // section's name cut at 31 characters.
        if (component && section.size() == kMaxNameLength) {
            for (const IniSourceSection& s : sections) {
                if (s.name.size() > kMaxNameLength && SameName(s.name.substr(0, kMaxNameLength), section)) {
                    section = s.name;
                    break;
                }
            }
        }
        edits.push_back({section, IniKeyOfChange(c->section, c->key), c->value});
    }
    in.changes = edits;
    for (size_t b = 0; b < kWrittenBonusLists.size(); ++b) in.bonuses[b] = record.BonusList(static_cast<size_t>(kWrittenBonusLists[b]));
    in.componentNames = catalogue_.ComponentNames();
    *text = ::WriteObjectIniText(in);
    return true;
}

std::string PackageBuilder::ResolveSoundValue(const std::string& entered) {
    return ::ResolveSoundValue(entered, [this](const std::string& name) { return mgr_.ResourceExists(name.c_str()); });
}

void PackageBuilder::AddSoundEntry(const QSSoundData& slot, PackageContents& out) {
    if (slot.entered.empty()) return;
    const std::string stored = "Audio\\" + slot.entered;
    std::string name = stored;
    std::string bytes;
    if (mgr_.ResourceExists(stored.c_str())) {
        const QSResource* entry = mgr_.FindEntry(stored.c_str());
        if (!entry || openedPackagePath_.empty() || !SameName(entry->archivePath, openedPackagePath_)) return;
        bytes = mgr_.ReadTextResource(stored.c_str());
    } else {
        name = "Audio\\" + ResolveSoundValue(slot.entered);
        if (packedSamples_.contains(FoldedName(name))) return;
        if (!ReadLocalFile(slot.entered, &bytes)) {
            QSLOG(kLogInfo, "File %s not found.", slot.entered.c_str());
            return;
        }
    }
    // A sample several slots name goes into the package once.
    if (!packedSamples_.insert(FoldedName(name)).second) return;
    Add(out, std::move(name), std::move(bytes));
}
