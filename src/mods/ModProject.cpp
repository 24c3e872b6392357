#include "mods/ModProject.h"

#include <filesystem>

#include "core/HashName.h"
#include "core/QSError.h"
#include "mods/PackageBuilder.h"
#include "objects/BuildHierarchy.h"
#include "resources/QSResourcer.h"
#include "resources/HiddenBlock.h"

namespace {

constexpr const char* kModInfoSection = "ModInfo";

bool ContainsNoCase(std::string_view text, std::string_view part) {
    for (size_t i = 0; i + part.size() <= text.size(); ++i) {
        if (SameName(text.substr(i, part.size()), part)) return true;
    }
    return false;
}

// The access code without the white space around it.
std::string TrimmedAccessCode(const std::string& code) {
    const auto blank = [](char c) { return c == ' ' || (c >= 9 && c <= 13); };
    size_t first = 0, last = code.size();
    while (first < last && blank(code[first])) ++first;
    while (last > first && blank(code[last - 1])) --last;
    return code.substr(first, last - first);
}

}  // namespace

const char* EditionArchiveName(GameEdition edition) {
    return edition == GameEdition::Expansion ? "Dravik_AT.qsw" : "Dravik.qsw";
}

const char* EditionCode(GameEdition edition) {
    return edition == GameEdition::Expansion ? "DAT " : "DSC ";
}

double OpenProgress::Fraction() const {
    const double pass = objectsTotal > 0 ? static_cast<double>(objectsRead) / objectsTotal : 1.0;
    return (retailPass ? 0.0 : 0.5) + 0.5 * (pass > 1.0 ? 1.0 : pass);
}

std::string AccessCodeText(uint32_t stored) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((stored >> shift) & 0xFF);
        if (c == '\0') break;
        text += c;
    }
    return text;
}

AccessCheck CheckAccessCode(uint32_t stored, const std::string& entered) {
    if (entered == AccessCodeText(stored)) return AccessCheck::Granted;
    return (stored >> 24) == static_cast<uint32_t>('#') ? AccessCheck::ReadOnly
                                                         : AccessCheck::Refused;
}

ModProject::ModProject()
    : catalogue_(mgr_),
      changes_([this](const std::string& resource) {
          return mgr_.IsModResource(resource.c_str()) != 0;
      }),
      storedCode_(kNoValue) {
    mgr_.SetTranslator(&loc_);
    catalogue_.SetProgressCallback([this] {
        ++current_.objectsRead;
        if (progress_) progress_(current_);
    });
}

ModProject::~ModProject() {
    Close();
}

void ModProject::SetInstallationPaths(std::string base, std::string expansion) {
    installPaths_[0] = std::move(base);
    installPaths_[1] = std::move(expansion);
}

const std::string& ModProject::InstallationPath(GameEdition edition) const {
    return installPaths_[edition == GameEdition::Expansion ? 1 : 0];
}

bool ModProject::Protected() const {
    return storedCode_ != kNoValue;
}

void ModProject::Mount(const std::string& installPath, const char* packagePath) {
    mgr_.Init(installPath.c_str(), packagePath);
    loc_.LoadLocalization(mgr_, "English");
}

void ModProject::Close() {
    loc_.ReleaseLocalization();
    mgr_.FlushINIQueue();
    mgr_.UnInit();
}

int ModProject::CountKindObjects() {
    return catalogue_.CountObjectKind("units") + catalogue_.CountObjectKind("heroes") +
           catalogue_.CountObjectKind("buildings");
}

void ModProject::UpdateGameVersion(const std::string& installPath, std::string& gameVersion) {
    const char* name = EditionArchiveName(edition_);
    const std::string archive =
        installPath.empty() ? name : (std::filesystem::path(installPath) / name).string();
    if (const char* version = mgr_.GetArchiveVersion(archive.c_str()))
        gameVersion = std::string(EditionCode(edition_)) + version;
}

void ModProject::NewMod(GameEdition edition) {
    if (projectOpen_) Reset();
    readOnly_ = false;
    edition_ = edition;
    editionPath_ = InstallationPath(edition);
    packagePath_.clear();
    OpenProject(editionPath_, "");
    storedCode_ = kNoValue;
}

OpenOutcome ModProject::OpenMod(const std::string& installPath, const std::string& packagePath) {
    if (projectOpen_) Reset();
    // Whatever an earlier opening decided, this one decides afresh: a mod opened in full can
    // be saved even after a read-only one.
    readOnly_ = false;
    packagePath_ = packagePath;
    OpenProject(installPath, packagePath);
    globalHistory_ = BuildGlobalHistory(identity_, catalogue_);
    storedCode_ = mgr_.GetAccessCode(packagePath.c_str());
    if (!Protected()) {
        identity_.accessCode.clear();
        return OpenOutcome::Full;
    }
    const bool readOnlyOffered = (storedCode_ >> 24) == static_cast<uint32_t>('#');
    std::optional<std::string> entered =
        accessPrompt_ ? accessPrompt_(readOnlyOffered) : std::optional<std::string>("");
    if (!entered) {
        identity_.accessCode.clear();
        return OpenOutcome::End;
    }
    switch (CheckAccessCode(storedCode_, *entered)) {
        case AccessCheck::Granted:
            identity_.accessCode = AccessCodeText(storedCode_);
            return OpenOutcome::Full;
        case AccessCheck::ReadOnly:
            identity_.accessCode.clear();
            readOnly_ = true;
            return OpenOutcome::ReadOnly;
        case AccessCheck::Refused:
            break;
    }
    identity_.accessCode.clear();
    return OpenOutcome::End;
}

void ModProject::OpenProject(const std::string& installPath, const std::string& packagePath) {
    QSLOG(kLogInfo, "New Mod %s, %s", installPath.c_str(),
          packagePath.empty() ? "None" : packagePath.c_str());
    projectOpen_ = true;

    // The game alone: the retail set.
    Mount(installPath, nullptr);
    if (packagePath.empty()) {
        identity_.savedVersion = kNewModVersion;
        UpdateGameVersion(installPath, identity_.gameVersion);
        identity_.programVersion = kProgramVersion;
    }
    current_ = OpenProgress{true, 0, CountKindObjects()};
    catalogue_.LoadAllObjects(true);
    Close();

    // The game with the package over it: the working set.
    Mount(installPath, packagePath.empty() ? nullptr : packagePath.c_str());
    if (!packagePath.empty()) {
        identity_.modName = std::filesystem::path(packagePath).stem().string();
        ReadModInfo();
        identity_.versionAtLoad = identity_.savedVersion;
        edition_ = ContainsNoCase(identity_.gameVersion, "DAT") ? GameEdition::Expansion
                                                                : GameEdition::Base;
        editionPath_ = InstallationPath(edition_);
        if (mgr_.ResourceExists(kModChangesResource)) {
            std::string text = mgr_.ReadTextResource(kModChangesResource);
            // The history is stored zero-terminated.
            if (const size_t end = text.find('\0'); end != std::string::npos) text.resize(end);
            versionHistory_ = std::move(text);
        }
    }
    current_ = OpenProgress{false, 0, CountKindObjects()};
    catalogue_.LoadBonusDefinitions();
    catalogue_.LoadSpellNames();
    catalogue_.LoadTechnologyNames();
    catalogue_.LoadAllObjects(false);
    catalogue_.LoadSampleNames();
    lists_ = ListItemSet::FromCatalogue(catalogue_);
}

void ModProject::ReadModInfo() {
    for (const ModIdentityField& field : ModIdentityFields()) {
        if (field.iniKey) mgr_.GetINIString(kModInfoSection, field.iniKey, "", identity_.*field.member, kModInfoResource);
    }
}

std::filesystem::path ModProject::PackagePathFor(const std::string& modName) const {
    const std::string file = modName + ".qsx";
    return editionPath_.empty() ? std::filesystem::path(file) : std::filesystem::path(editionPath_) / file;
}

bool ModProject::SaveMod(ModIdentity identity, const std::filesystem::path& path, std::string* failure,
                         const SaveOptions& options) {
    identity.modName = path.stem().string();
    identity.programVersion = kProgramVersion;
    UpdateGameVersion(editionPath_, identity.gameVersion);  // when the edition's archive is open

    PackageBuilder builder(mgr_, catalogue_, changes_, packagePath_);
    PackageContents contents = builder.BuildPackageEntries(identity, versionHistory_);

    QSResourcer writer = options.seed ? QSResourcer(*options.seed) : QSResourcer();
    writer.SetSyncToDisk(options.syncToDisk);
    const std::string code = TrimmedAccessCode(identity.accessCode);
    std::string reason;
    if (!writer.TryBuild(path, identity.twoCharacterId.c_str(), identity.savedVersion.c_str(), identity.modName.c_str(),
                         std::move(contents.entries), code.c_str(), &reason)) {
        if (failure) *failure = reason;
        return false;
    }
    identity_ = std::move(identity);
    return true;
}

void ModProject::Reset() {
    readOnly_ = false;
    catalogue_.ClearSideLists();
    catalogue_.DeleteAllObjects(false);
    catalogue_.DeleteAllObjects(true);
    changes_.ClearChangeList();
    lists_ = ListItemSet{};
    identity_.savedVersion.clear();
    identity_.modName.clear();
    identity_.twoCharacterId.clear();
    versionHistory_.clear();
    globalHistory_.clear();
    Close();
}

ShownObject ModProject::Show(int index, bool soundPanelMode) const {
    return ShowObject(catalogue_, changes_, index, lists_, soundPanelMode);
}

FieldUpdate ModProject::EditField(int index, std::string_view control, const std::string& text) {
    return FieldEditor(catalogue_, changes_, lists_).EditField(index, control, text);
}

FieldUpdate ModProject::UndoField(int index, std::string_view control) {
    return FieldEditor(catalogue_, changes_, lists_).UndoField(index, control);
}

FieldUpdate ModProject::EditSoundSlot(int index, std::string_view control, const std::string& text) {
    return FieldEditor(catalogue_, changes_, lists_).EditSoundSlot(index, control, text);
}

int ModProject::CloneObject(int index, const std::string& newUniqueName) {
    return FieldEditor(catalogue_, changes_, lists_).CloneShown(index, newUniqueName);
}

namespace {

// The record at index of the view list with its retail counterpart; null record when none.
std::pair<QSObjectData*, const QSObjectData*> Shown(const ObjectCatalogue& catalogue, int index) {
    const QSObjectList& view = catalogue.ViewList();
    if (index < 0 || static_cast<uint32_t>(index) >= view.Count()) return {nullptr, nullptr};
    QSObjectData* record = view[static_cast<uint32_t>(index)];
    return {record, catalogue.FindRetailCounterpart(record->UniqueName().c_str())};
}

}  // namespace

BonusUpdate ModProject::ToggleBonus(int index, int list, int item, bool checked) {
    auto [record, counterpart] = Shown(catalogue_, index);
    if (!record) return {};
    return BonusModifiers(catalogue_.BonusDefinitions(), changes_)
        .Toggle(*record, counterpart, list, item, checked);
}

BonusUpdate ModProject::EditBonusValue(int index, int list, int row, const std::string& text,
                                       bool undo) {
    auto [record, counterpart] = Shown(catalogue_, index);
    if (!record) return {};
    return BonusModifiers(catalogue_.BonusDefinitions(), changes_)
        .EditValue(*record, counterpart, list, row, text, undo);
}

FieldUpdate ModProject::ToggleComponent(int index, int item, bool checked) {
    auto [record, counterpart] = Shown(catalogue_, index);
    if (!record) return {};
    return ::ToggleComponent(*record, counterpart, changes_, catalogue_.ComponentNames(), item,
                             checked);
}
