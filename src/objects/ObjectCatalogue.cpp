#include "objects/ObjectCatalogue.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "core/HashName.h"
#include "core/QSError.h"
#include "core/QSINIFile.h"
#include "core/QSLocalization.h"
#include "core/WorkAhead.h"
#include "objects/ChangeList.h"
#include "resources/QSResourceMgr.h"

namespace {

constexpr const char* kObjectDataDir = "Data\\ObjectData\\";

bool NameBefore(const std::string& a, const std::string& b) {
    return CompareNames(a, b) < 0;
}

void SortNames(std::vector<std::string>& names) {
    std::stable_sort(names.begin(), names.end(), NameBefore);
}

// The directory part of a pattern or path, up to and including its last backslash.
std::string DirectoryPart(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The unique name of an object file: its name without an extension of at most three
// characters.
std::string_view UniqueNameOf(std::string_view path) {
    const size_t slash = path.rfind('\\');
    if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
    const size_t dot = path.rfind('.');
    if (dot != std::string_view::npos && path.size() - dot - 1 <= 3) path = path.substr(0, dot);
    return path;
}

// Drops every reference, keeping the room.
void EmptyList(QSObjectList& list) {
    while (list.Count()) list.RemoveAt(list.Count() - 1);
}

bool ContainsNoCase(std::string_view text, std::string_view part) {
    if (part.size() > text.size()) return false;
    for (size_t i = 0; i + part.size() <= text.size(); ++i) {
        if (CompareNames(text.substr(i, part.size()), part) == 0) return true;
    }
    return false;
}

// Calls visit with the full name (the pattern's directory and the found name) of every file
// matching pattern in the pattern's directory, until visit returns false.
template <typename Visit>
void ForEachResource(QSResourceMgr& mgr, const std::string& pattern, Visit visit) {
    const std::string directory = DirectoryPart(pattern);
    QSFindData data;
    std::string full;
    // Closed however the walk ends, a fatal error in visit included.
    struct Close {
        QSResourceMgr* mgr;
        void operator()(QSResourceSearch* search) const { mgr->FindCloseResource(search); }
    };
    std::unique_ptr<QSResourceSearch, Close> search(mgr.FindFirstResource(pattern.c_str(), &data, false), Close{&mgr});
    for (bool more = search != nullptr; more; more = mgr.FindNextResource(search.get(), &data)) {
        if (data.attributes & kFindDirectory) continue;
        full.assign(directory).append(data.fileName);
        if (!visit(full)) break;
    }
}

// "Data\ObjectData\<directory>\*.ini".
std::string KindPattern(const char* directory) {
    char pattern[300];
    std::snprintf(pattern, sizeof pattern, "%s%s\\%s", kObjectDataDir, directory ? directory : "",
                  "*.ini");
    return pattern;
}

// The INI file of a resource, or null when the resource does not exist (asking the manager
// for a missing resource would be fatal).
QSINIFile* IniIfPresent(QSResourceMgr& mgr, const char* name) {
    return mgr.ResourceExists(name) ? mgr.GetINIFile(name) : nullptr;
}

}  // namespace

ObjectCatalogue::ObjectCatalogue(QSResourceMgr& mgr)
    : mgr_(mgr), workingCompare_(CompareByProperName) {
    for (int v = 0; v < kViewCount; ++v) {
        working_[v] = std::make_unique<QSObjectList>(256, 128);
        retail_[v] = std::make_unique<QSObjectList>(256, 128);
    }
    // Either thread may read a file before its turn: a duplicate key is raised at the turn.
    reader_.parser.DeferDuplicateKeyError(true);
    aheadReader_.parser.DeferDuplicateKeyError(true);
}

ObjectCatalogue::~ObjectCatalogue() {
    DeleteAllObjects(false);
    DeleteAllObjects(true);
}

int ObjectCatalogue::CompareByProperName(const QSObjectData* a, const QSObjectData* b) {
    const int c = CompareNames(a->ProperName(), b->ProperName());
    return c != 0 ? c : CompareNames(a->UniqueName(), b->UniqueName());
}

void ObjectCatalogue::SetWorkingComparator(ObjectComparator compare) {
    workingCompare_ = compare ? std::move(compare) : ObjectComparator(CompareByProperName);
}

void ObjectCatalogue::SortWorking(QSObjectList& list) const {
    list.Sort(workingCompare_);
}

QSObjectList& ObjectCatalogue::Objects(int viewCode, bool retail) {
    if (viewCode < 0 || viewCode >= kViewCount) QSERROR("invalid view %d", viewCode);
    return retail ? *retail_[static_cast<size_t>(viewCode)]
                  : *working_[static_cast<size_t>(viewCode)];
}

const QSObjectList& ObjectCatalogue::Objects(int viewCode, bool retail) const {
    return const_cast<ObjectCatalogue*>(this)->Objects(viewCode, retail);
}

void ObjectCatalogue::LoadAllObjects(bool retail) {
    LoadComponents(retail);
    LoadGlobalObjects(retail);
    LoadObjectKind("units", kKindCodeUnits, retail);
    LoadObjectKind("heroes", kKindCodeHeroes, retail);
    LoadObjectKind("buildings", kKindCodeBuildings, retail);
}

int ObjectCatalogue::CountObjectKind(const char* directory) const {
    int count = 0;
    ForEachResource(mgr_, KindPattern(directory), [&](const std::string&) {
        return ++count < kMaxObjectsPerKind;
    });
    return count;
}

int ObjectCatalogue::LoadObjectKind(const char* directory, int kindCode, bool retail) {
    const std::string pattern = KindPattern(directory);
    int view = -1;
    switch (kindCode) {
        case kKindCodeUnits:
            view = kViewUnits;
            break;
        case kKindCodeHeroes:
            view = kViewHeroes;
            break;
        case kKindCodeBuildings:
            view = kViewBuildings;
            break;
        default:
            break;
    }

    // First the kind's files, what each one's values go through and which the working pass
    // copies from the game's records; then the records of the files to be read are made on
    // both cores (WorkAhead), while everything else happens here, in the files' order, with
    // the same messages as when they were made one at a time.
    struct KindFile {
        std::string name;
        const QSResource* entry = nullptr;
        const QSTranslator* translator = nullptr;
        bool translatorKnown = false;         // TranslatorNow succeeded
        const QSObjectData* copyOf = nullptr;  // working pass: the game's record to copy
        long job = -1;                         // the file's record is made by job
    };
    std::vector<KindFile> files;
    ForEachResource(mgr_, pattern, [&](const std::string& full) {
        if (files.size() >= static_cast<size_t>(kMaxObjectsPerKind)) return false;
        KindFile& file = files.emplace_back();
        file.name = full;
        file.entry = mgr_.FindEntry(full.c_str());
        return true;
    });
    if (!files.empty() && view < 0) QSERROR("invalid type");
    if (retail && !files.empty()) retailSources_[static_cast<size_t>(view)].Clear();

    std::vector<RecordJob> jobs;
    NewFileTranslation newFiles;
    for (KindFile& file : files) {
        const QSResource* entry = file.entry;
        if (!entry) continue;
        file.translatorKnown = TranslatorNow(*entry, file.name, newFiles, file.translator);
        if (!retail && !entry->modFlag) {
            file.copyOf = CopyableRetail(*entry, file.name, file.translatorKnown, file.translator,
                                         view);
        }
        // A file the manager holds as another kind, or one outside the archives, is read
        // through the manager as LoadFromIni(mgr_, name) reads it.
        if (!file.copyOf && (!file.translatorKnown || !entry->node ||
                             entry->archiveIndex >= mgr_.Archives().Count()))
            continue;
        file.job = static_cast<long>(jobs.size());
        RecordJob& job = jobs.emplace_back();
        job.copyOf = file.copyOf;
        if (!file.copyOf) {
            job.archive = mgr_.Archives()[entry->archiveIndex];
            job.entry = entry;
            job.resource = &file.name;
            job.translator = file.translator;
            job.changeState = entry->modFlag ? kSuppliedByMod : kUnchanged;
        }
    }
    std::vector<MadeRecord> made(jobs.size());
    // The windows read ahead only within this load: the archives may be closed after it.
    reader_.window.Forget();
    aheadReader_.window.Forget();
    WorkAhead ahead(jobs.size(), [&](size_t job, bool onCaller) {
        MakeRecord(jobs[job], onCaller ? reader_ : aheadReader_, made[job]);
    });

    int read = 0;
    QSObjectList* list = nullptr;
    for (const KindFile& file : files) {
        list = &Objects(view, retail);
        const QSResource* entry = file.entry;
        const bool fromMod = entry && entry->modFlag;  // as IsModResource tells
        std::unique_ptr<QSObjectData> record;
        if (file.job >= 0) {
            const auto job = static_cast<size_t>(file.job);
            ahead.Take(job);
            // A file with a duplicate key, read before its turn: read again now by a parser
            // that ends the program with the message it always has.
            if (!made[job].record) {
                FileReader now;
                MakeRecord(jobs[job], now, made[job]);
            }
            record = std::move(made[job].record);
            if (retail && !fromMod) Remember(jobs[job], made[job].delivered, view, *record);
        } else {
            record = std::make_unique<QSObjectData>();
            record->resourceName = file.name;
            record->sourceResourceName = file.name;
            record->SetUniqueName(UniqueNameOf(file.name));
            record->changeState = fromMod ? kSuppliedByMod : kUnchanged;
            // A resource that is not there, or not an INI file now, leaves the record empty.
            if (entry) {
                if (const QSINIFile* ini = mgr_.GetINIFile(file.name.c_str()))
                    record->LoadFromIni(*ini);
            }
        }
        list->Append(record.get());
        record.release();
        ++read;
        if (progress_) progress_();
    }

    // The windows' memory goes back for the records of the next kind.
    reader_.window.Release();
    aheadReader_.window.Release();
    if (read == kMaxObjectsPerKind)
        QSLOG(kLogNote, "WARNING: read in the maximum number of object types");
    QSLOG(kLogInfo, "Read %d objects.", read);
    // The copies are made: the bytes kept for them can go.
    if (!retail && view >= 0) retailSources_[static_cast<size_t>(view)].Clear();
    if (list) {
        if (retail) {
            list->Sort(CompareByProperName);
        } else {
            SortWorking(*list);
        }
    }
    return read;
}

void ObjectCatalogue::RetailSources::Clear() {
    list_.clear();
    index_.clear();
    next_ = 0;
}

void ObjectCatalogue::RetailSources::Add(RetailSource source) {
    list_.push_back(std::move(source));
    index_.clear();
}

const ObjectCatalogue::RetailSource* ObjectCatalogue::RetailSources::Find(std::string_view name) {
    if (next_ < list_.size() && list_[next_].name == name) return &list_[next_++];
    if (index_.empty()) {
        for (size_t i = 0; i < list_.size(); ++i) index_.emplace(list_[i].name, i);
    }
    const auto found = index_.find(name);
    if (found == index_.end()) return nullptr;
    next_ = found->second + 1;
    return &list_[found->second];
}

bool ObjectCatalogue::PlaceOf(const QSResource& entry, RetailSource& out) const {
    if (!entry.node || entry.archiveIndex >= mgr_.Archives().Count()) return false;
    const QSStreamFile& archive = *mgr_.Archives()[entry.archiveIndex];
    const std::optional<size_t> index = archive.IndexOf(entry.node);
    if (!index) return false;
    out.archive = archive.Stamp();
    out.node = *index;
    out.length = entry.node->Len;
    return true;
}

bool ObjectCatalogue::TranslationOf(const QSTranslator* translator, Translation& out) {
    out.translator = translator;
    out.stamp = 0;
    if (!translator) return true;
    const auto* table = dynamic_cast<const QSLocalization*>(translator);
    if (!table) return false;
    out.stamp = table->ContentStamp();
    return true;
}

bool ObjectCatalogue::TranslatorNow(const QSResource& entry, const std::string& resource,
                                    NewFileTranslation& newFiles, const QSTranslator*& out) const {
    if (entry.object) {
        const auto* ini = dynamic_cast<const QSINIFile*>(entry.object);
        if (!ini) return false;
        out = ini->Translator();
    } else if (newFiles.known) {
        out = newFiles.translator;
    } else {
        const auto* ini = dynamic_cast<const QSINIFile*>(
            mgr_.GetResource(resource.c_str(), QSResourceMgr::kINIFile));
        if (!ini) return false;
        newFiles = {true, ini->Translator()};
        out = newFiles.translator;
    }
    return true;
}

void ObjectCatalogue::MakeRecord(const RecordJob& job, FileReader& reader, MadeRecord& out) {
    if (job.copyOf) {
        out.record = std::make_unique<QSObjectData>(*job.copyOf);
        return;
    }
    // The file is parsed in place, as the manager parses it, in the reader's buffer.
    out.delivered = job.archive->ReadContentInto(*job.entry->node, reader.text, reader.capacity,
                                                 &reader.window);
    reader.parser.SetResourceName(job.entry->name);
    reader.parser.Process(&reader.text);
    if (!reader.parser.DeferredError()) {
        out.record = std::make_unique<QSObjectData>();
        QSObjectData& record = *out.record;
        record.resourceName = *job.resource;
        record.sourceResourceName = *job.resource;
        record.SetUniqueName(UniqueNameOf(*job.resource));
        record.changeState = job.changeState;
        reader.parser.SetTranslator(job.translator);
        record.LoadFromIni(reader.parser);
    }
    reader.parser.Process(nullptr);  // lets the text go, keeping the parser's memory
}

void ObjectCatalogue::Remember(const RecordJob& job, uint32_t delivered, int view,
                               const QSObjectData& record) {
    RetailSource source;
    if (TranslationOf(job.translator, source.translation) && PlaceOf(*job.entry, source) &&
        source.archive.known && delivered == source.length) {
        source.name = record.resourceName;
        source.record = &record;
        retailSources_[static_cast<size_t>(view)].Add(std::move(source));
    }
}

bool ObjectCatalogue::SamePlace(const RetailSource& source, const QSResource& entry) const {
    RetailSource place;
    return PlaceOf(entry, place) && place.archive.SameFileAs(source.archive) &&
           place.node == source.node && place.length == source.length;
}

const QSObjectData* ObjectCatalogue::CopyableRetail(const QSResource& entry,
                                                    const std::string& resource,
                                                    bool translatorKnown,
                                                    const QSTranslator* translator, int view) {
    const RetailSource* source = retailSources_[static_cast<size_t>(view)].Find(resource);
    Translation now;
    if (!source || !translatorKnown || !TranslationOf(translator, now) ||
        !(now == source->translation) || !SamePlace(*source, entry))
        return nullptr;
    return source->record;
}

std::unique_ptr<QSObjectData> ObjectCatalogue::NewFixedRecord(const char* resource, const std::string& uniqueName) {
    auto record = std::make_unique<QSObjectData>();
    record->resourceName = resource;
    record->sourceResourceName = resource;
    record->SetUniqueName(uniqueName);
    record->changeState = mgr_.IsModResource(resource) ? kSuppliedByMod : kUnchanged;
    return record;
}

void ObjectCatalogue::LoadGlobalObjects(bool retail) {
    QSObjectList& list = Objects(kViewGlobal, retail);

    // Owned here until the list takes them (a bad file may end the loading halfway).
    std::unique_ptr<QSObjectData> settings = NewFixedRecord(kSettingsResource, "Settings");
    settings->SetProperName("Settings");
    std::unique_ptr<QSObjectData> colors = NewFixedRecord(kColorsResource, "Colors");
    colors->SetProperName("Colors");
    auto rule = [](LoadRule r) { return [r](const FieldDef& f) { return f.rule == r; }; };
    if (QSINIFile* settingsIni = IniIfPresent(mgr_, kSettingsResource))
        settings->LoadRowsWhere(*settingsIni, rule(LoadRule::FromSettings));
    // Fetched after the settings rows are read: the manager keeps only a few files at hand.
    if (QSINIFile* colorsIni = IniIfPresent(mgr_, kColorsResource)) {
        settings->LoadRowsWhere(*colorsIni, rule(LoadRule::FromColors));
        colors->LoadRowsWhere(*colorsIni, rule(LoadRule::FromColors));
    }
    list.Append(settings.release());
    list.Append(colors.release());
}

void ObjectCatalogue::LoadComponents(bool retail) {
    QSINIFile* ini = IniIfPresent(mgr_, kComponentsResource);
    if (retail) {
        componentNames_.clear();
        if (ini) {
            for (const char* section = ini->FirstSection(); section; section = ini->NextSection()) {
                if (!ContainsNoCase(section, "bonuses")) componentNames_.emplace_back(section);
            }
        }
        SortNames(componentNames_);
    }
    QSObjectList& list = Objects(kViewComponents, retail);
    for (const std::string& name : componentNames_) {
        std::unique_ptr<QSObjectData> record = NewFixedRecord(kComponentsResource, name);
        if (ini) {
            std::string proper;
            ini->GetINIString(name.c_str(), kProperNameField.key, "", proper);
            record->SetProperName(proper);
            record->LoadRows(*ini, kKindComponents, name.c_str());
        }
        list.Append(record.release());
    }
}

void ObjectCatalogue::LoadBonusDefinitions() {
    QSLOG(kLogInfo, "Loading bonuses from %s", kBonusResource);
    bonuses_.clear();
    if (QSINIFile* ini = IniIfPresent(mgr_, kBonusResource)) {
        for (const char* section = ini->FirstSection(); section; section = ini->NextSection()) {
            QSBRIXBonusData bonus;
            bonus.name = section;
            ini->GetINIString(section, "name1", "", bonus.name1);
            ini->GetINIString(section, "name2", "", bonus.name2);
            ini->GetINIString(section, "action", "", bonus.action);
            bonuses_.push_back(std::move(bonus));
        }
    }
    std::stable_sort(bonuses_.begin(), bonuses_.end(),
                     [](const QSBRIXBonusData& a, const QSBRIXBonusData& b) {
                         return NameBefore(a.name, b.name);
                     });
    QSLOG(kLogInfo, "Loaded %d bonuses.", static_cast<int>(bonuses_.size()));
}

void ObjectCatalogue::LoadSpellNames() {
    spellNames_.clear();
    ForEachResource(mgr_, "data\\spells*.ini", [&](const std::string& full) {
        QSLOG(kLogInfo, "Processing spell file: %s", full.c_str());
        if (QSINIFile* ini = IniIfPresent(mgr_, full.c_str())) {
            for (int n = 0;; ++n) {
                std::string name;
                ini->GetINIString(std::to_string(n).c_str(), "name", "", name);
                if (name.empty()) break;
                spellNames_.push_back(std::move(name));
            }
        }
        return true;
    });
    SortNames(spellNames_);
}

void ObjectCatalogue::LoadTechnologyNames() {
    technologyNames_.assign(1, "None");
    ForEachResource(mgr_, "data\\technology*.ini", [&](const std::string& full) {
        QSLOG(kLogInfo, "Processing technology file: %s", full.c_str());
        if (QSINIFile* ini = IniIfPresent(mgr_, full.c_str())) {
            for (int n = 0;; ++n) {
                char key[32];
                std::snprintf(key, sizeof key, "Technology%d", n);
                std::string name;
                ini->GetINIString("TechnologyData", key, "", name);
                if (name.empty()) break;
                technologyNames_.push_back(std::move(name));
            }
        }
        return true;
    });
    SortNames(technologyNames_);
}

void ObjectCatalogue::LoadSampleNames() {
    sampleNames_.clear();
    for (const char* pattern : {"Audio\\Game\\*.wav", "Audio\\Spells\\*.wav"}) {
        ForEachResource(mgr_, pattern, [&](const std::string& full) {
            std::string name = full.substr(6);  // after "Audio\"
            NormalizeWordCase(name);
            sampleNames_.push_back(std::move(name));
            return true;
        });
    }
    SortNames(sampleNames_);
}

int ObjectCatalogue::FindSampleName(const std::string& name) const {
    auto it = std::lower_bound(sampleNames_.begin(), sampleNames_.end(), name, NameBefore);
    return it != sampleNames_.end() && CompareNames(*it, name) == 0
               ? static_cast<int>(it - sampleNames_.begin())
               : -1;
}

void ObjectCatalogue::FreeAll(QSObjectList& list) {
    for (uint32_t i = list.Count(); i-- > 0;) delete list[i];
    EmptyList(list);
}

void ObjectCatalogue::DeleteAllObjects(bool retail) {
    for (int v = 0; v < kViewCount; ++v) FreeAll(Objects(v, retail));
    if (retail) {
        for (RetailSources& sources : retailSources_) sources.Clear();
        EmptyList(viewRetailList_);
        retailIndexed_ = false;
    } else {
        FreeAll(loose_);
        EmptyList(viewList_);
        componentNames_.clear();
    }
    QSLOG(kLogInfo, "Successfully deleted all objects.");
}

void ObjectCatalogue::ClearSideLists() {
    bonuses_.clear();
    spellNames_.clear();
    technologyNames_.clear();
    sampleNames_.clear();
}

void ObjectCatalogue::SelectView(int viewCode) {
    const QSObjectList& working = Objects(viewCode, false);
    const QSObjectList& retail = Objects(viewCode, true);
    view_ = viewCode;
    EmptyList(viewList_);
    EmptyList(viewRetailList_);
    for (QSObjectData* r : working) viewList_.Append(r);
    for (QSObjectData* r : retail) viewRetailList_.Append(r);
    retailIndexed_ = false;
}

int ObjectCatalogue::FindObjectIndex(const char* uniqueName) const {
    if (!uniqueName) return -1;
    for (uint32_t i = 0; i < viewList_.Count(); ++i) {
        if (SameName(viewList_[i]->UniqueName(), uniqueName)) return static_cast<int>(i);
    }
    return -1;
}

QSObjectData* ObjectCatalogue::FindRetailCounterpart(const char* uniqueName) const {
    if (!uniqueName) return nullptr;
    if (!retailIndexed_) {
        retailIndex_.clear();
        retailIndex_.reserve(viewRetailList_.Count());
        for (uint32_t i = 0; i < viewRetailList_.Count(); ++i)
            retailIndex_.emplace_back(HashName(viewRetailList_[i]->UniqueName()), i);
        // Equal hashes keep the list's order, so the first record of a name is found first.
        std::sort(retailIndex_.begin(), retailIndex_.end());
        retailIndexed_ = true;
    }
    const uint32_t hash = HashName(uniqueName);
    auto it = std::lower_bound(retailIndex_.begin(), retailIndex_.end(), std::pair{hash, 0u});
    for (; it != retailIndex_.end() && it->first == hash; ++it) {
        QSObjectData* r = viewRetailList_[it->second];
        if (SameName(r->UniqueName(), uniqueName)) return r;
    }
    return nullptr;
}

int ObjectCatalogue::CloneObject(int shownIndex, const char* newUniqueName,
                                 std::vector<ClonedField>* changes) {
    if (shownIndex < 0 || static_cast<uint32_t>(shownIndex) >= viewList_.Count() || !newUniqueName)
        return -1;
    const QSObjectData& shown = *viewList_[static_cast<uint32_t>(shownIndex)];
    if (SameName(shown.resourceName, kComponentsResource)) return -1;
    if (FindObjectIndex(newUniqueName) >= 0) return -1;

    auto* clone = new QSObjectData(shown);
    clone->sourceResourceName = shown.resourceName;
    clone->resourceName = DirectoryPart(shown.resourceName);
    clone->resourceName += newUniqueName;
    clone->resourceName += ".ini";
    clone->SetUniqueName(newUniqueName);
    clone->changeState = kChangedInSession;

    if (changes) {
        auto enter = [&](const FieldDef& f, std::string_view value) {
            changes->push_back({clone->UniqueName(), f.shownSection, f.shownKey,
                                std::string(value), "Off", "Off", f.caption});
        };
        enter(kProperNameField, clone->ProperName());
        const bool hero = SameName(shown.Value(kRowType), "hero");
        for (const FieldDef& f : kFieldTable) {
            if (f.row > 5 && f.row < 24) continue;  // global settings and component rows
            if (f.row == kRowOverwriteColor && hero) continue;
            const std::string_view value = clone->Value(f);
            if (!value.empty()) enter(f, value);
        }
    }

    viewList_.Append(clone);
    viewList_.Sort(workingCompare_);
    if (view_ == kViewGlobal) {
        loose_.Append(clone);
    } else {
        QSObjectList& working = Objects(view_, false);
        working.Append(clone);
        SortWorking(working);
    }
    return FindObjectIndex(newUniqueName);
}

int ObjectCatalogue::CloneObject(int shownIndex, const char* newUniqueName, ChangeList& changes) {
    std::vector<ClonedField> fields;
    const int index = CloneObject(shownIndex, newUniqueName, &fields);
    if (index < 0) return index;
    QSObjectData* clone = viewList_[static_cast<uint32_t>(index)];
    for (const ClonedField& f : fields) {
        changes.SetField(clone, f.identity, {}, f.section, f.key, f.value, f.before, OptionalText(f.retail),
                         f.label, clone->ProperName());
    }
    return index;
}

bool ObjectCatalogue::DeleteObject(int shownIndex) {
    if (shownIndex < 0 || static_cast<uint32_t>(shownIndex) >= viewList_.Count()) return false;
    QSObjectData* record = viewList_[static_cast<uint32_t>(shownIndex)];
    viewList_.RemoveAt(static_cast<uint32_t>(shownIndex));
    for (QSObjectList* list : {working_[static_cast<size_t>(view_)].get(), &loose_}) {
        for (uint32_t i = 0; i < list->Count(); ++i) {
            if ((*list)[i] == record) {
                list->RemoveAt(i);
                break;
            }
        }
    }
    SortWorking(*working_[static_cast<size_t>(view_)]);
    delete record;
    if (view_ != kViewGlobal) SortWorking(viewList_);
    return true;
}

void ObjectCatalogue::SortViewList() {
    if (view_ != kViewGlobal) SortWorking(viewList_);
}
