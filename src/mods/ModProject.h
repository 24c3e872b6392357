// ModProject: one open mod, from the first read of the game to the editor's working set.
//
// Opening a project reads the game twice: once alone (the retail set, the game as shipped)
// and once with the mod package mounted over it (the working set that the editor shows and
// changes). Between the passes the manager is closed and reopened; localisation is loaded
// for each pass. A package's identity comes back from "Data\ModInfo.ini", its version history
// from "Data\ModChanges.txt"; its edition follows the game version it was built with. The
// windows show what this class holds and never read the game themselves.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "core/QSLocalization.h"
#include "objects/ChangeList.h"
#include "mods/ModHistory.h"
#include "objects/BonusModifiers.h"
#include "objects/ObjectCatalogue.h"
#include "objects/ObjectDisplay.h"
#include "resources/QSResourceMgr.h"

enum class GameEdition : uint8_t { Base, Expansion };

inline constexpr const char* kNewModVersion = "0.0.0.0";
inline constexpr const char* kModInfoResource = "Data\\ModInfo.ini";
inline constexpr const char* kModChangesResource = "Data\\ModChanges.txt";

// The edition's own archive in an installation directory.
const char* EditionArchiveName(GameEdition edition);  // "Dravik.qsw" or "Dravik_AT.qsw"
const char* EditionCode(GameEdition edition);         // "DSC " or "DAT "

// How far an opening has come, reported after every object read.
struct OpenProgress {
    bool retailPass = true;  // the game alone; then the pass with the package
    int objectsRead = 0;     // objects of the three kind directories read in this pass
    int objectsTotal = 0;    // objects of the three kind directories in this pass
    // 0 to 1 over the whole opening: each pass is one half.
    double Fraction() const;
};

// The text of a stored access code: its bytes from the top, up to the first zero byte.
std::string AccessCodeText(uint32_t stored);

enum class AccessCheck : uint8_t {
    Granted,   // the right code: the mod opens in full and keeps its code
    ReadOnly,  // a wrong code for a code beginning with "#": the mod opens read-only
    Refused,   // a wrong code otherwise: the program ends
};
AccessCheck CheckAccessCode(uint32_t stored, const std::string& entered);

// How an opening of a package ended, after its access code was asked for.
enum class OpenOutcome : uint8_t {
    Full,      // unprotected, or the right code: the mod opens and can be saved
    ReadOnly,  // protected with a code beginning with "#", opened without it: browse only
    End,       // the code was refused or not given: the program ends
};

class ModProject {
  public:
    using ProgressCallback = std::function<void(const OpenProgress&)>;
    // How an opening asks for the access code of a protected package, once both passes are
    // read: readOnlyOffered tells whether a wrong code still opens the mod read-only (the
    // code begins with "#"). Returns the text entered, or nothing when the user cancelled.
    using AccessCodePrompt = std::function<std::optional<std::string>(bool readOnlyOffered)>;

    ModProject();
    ~ModProject();
    ModProject(const ModProject&) = delete;
    ModProject& operator=(const ModProject&) = delete;

    // The installation directories of both editions (either may be empty).
    void SetInstallationPaths(std::string base, std::string expansion);
    const std::string& InstallationPath(GameEdition edition) const;
    void SetProgressCallback(ProgressCallback progress) { progress_ = std::move(progress); }
    // Without a prompt a protected package is checked against an empty entry.
    void SetAccessCodePrompt(AccessCodePrompt prompt) { accessPrompt_ = std::move(prompt); }

    // A new mod for an edition, over its installation directory. It can be saved.
    void NewMod(GameEdition edition);
    // An existing package over an installation directory; afterwards the global history is
    // built and the stored access code checked: an unprotected package opens with an empty
    // access code, a protected one asks the prompt. The right code is kept for the next save;
    // a wrong one opens a "#" code's mod read-only (its code emptied) and ends otherwise.
    // The project stays open whatever the outcome; ending the program is the caller's.
    OpenOutcome OpenMod(const std::string& installPath, const std::string& packagePath);
    // The common opening: both passes and the side lists. An empty package path opens a
    // new mod.
    void OpenProject(const std::string& installPath, const std::string& packagePath);
    // Empties everything an opening filled and closes the manager; the identity strings
    // other than the version, name and identifier stay.
    void Reset();
    // Releases localisation and shuts the manager down (the window's close).
    void Close();

    // Reads the identity back from the open package's "Data\ModInfo.ini".
    void ReadModInfo();

    // Where a package of this name is saved: the current edition's installation directory,
    // or the working directory when it has none.
    std::filesystem::path PackagePathFor(const std::string& modName) const;

    struct SaveOptions {
        std::optional<uint32_t> seed;  // the writer's random fill; the clock when absent
        bool syncToDisk = true;
    };
    // Writes the session as a package at path under identity, whose saved version is this
    // save's (the checks have passed). The writer's lines go to the resourcer sink. On success
    // the project takes the identity as saved (its name the package's title, the game and
    // program versions of this build) and true is returned; the session stays open, so the
    // caller decides whether to reopen the package. On failure *failure says why, the old
    // package is untouched and nothing of the session changes.
    bool SaveMod(ModIdentity identity, const std::filesystem::path& path, std::string* failure,
                 const SaveOptions& options);
    bool SaveMod(ModIdentity identity, const std::filesystem::path& path, std::string* failure) {
        return SaveMod(std::move(identity), path, failure, SaveOptions{});
    }

    bool ProjectOpen() const { return projectOpen_; }
    GameEdition CurrentEdition() const { return edition_; }
    const std::string& EditionInstallationPath() const { return editionPath_; }
    const std::string& OpenedPackagePath() const { return packagePath_; }

    ModIdentity& Identity() { return identity_; }
    const ModIdentity& Identity() const { return identity_; }
    const std::string& VersionHistory() const { return versionHistory_; }
    const std::string& GlobalHistory() const { return globalHistory_; }
    // The stored code of the opened package; kNoValue when it has none.
    uint32_t StoredAccessCode() const { return storedCode_; }
    bool Protected() const;
    // A protected mod opened without its code can be looked at but not saved.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

    QSResourceMgr& Resources() { return mgr_; }
    QSLocalization& Localization() { return loc_; }
    ObjectCatalogue& Catalogue() { return catalogue_; }
    const ObjectCatalogue& Catalogue() const { return catalogue_; }
    ChangeList& Changes() { return changes_; }
    const ChangeList& Changes() const { return changes_; }
    // The items of the drop-down lists whose items come from the open mod.
    const ListItemSet& Lists() const { return lists_; }

    // What every control shows for the record at index of the view list.
    ShownObject Show(int index, bool soundPanelMode) const;
    // Editing the record at index of the view list (see FieldEditor, BonusModifiers and
    // ToggleComponent); each returns what the controls must show.
    FieldUpdate EditField(int index, std::string_view control, const std::string& text);
    FieldUpdate UndoField(int index, std::string_view control);
    FieldUpdate EditSoundSlot(int index, std::string_view control, const std::string& text);
    int CloneObject(int index, const std::string& newUniqueName);
    BonusUpdate ToggleBonus(int index, int list, int item, bool checked);
    BonusUpdate EditBonusValue(int index, int list, int row, const std::string& text, bool undo);
    FieldUpdate ToggleComponent(int index, int item, bool checked);

  private:
    void Mount(const std::string& installPath, const char* packagePath);
    // Sets gameVersion to the edition's code and its archive's version when that archive is
    // open; leaves it as it is otherwise.
    void UpdateGameVersion(const std::string& installPath, std::string& gameVersion);
    int CountKindObjects();

    QSResourceMgr mgr_;
    QSLocalization loc_;
    ObjectCatalogue catalogue_;
    ChangeList changes_;
    ListItemSet lists_;
    ProgressCallback progress_;
    AccessCodePrompt accessPrompt_;
    OpenProgress current_;

    std::array<std::string, 2> installPaths_;
    bool projectOpen_ = false;
    GameEdition edition_ = GameEdition::Base;
    std::string editionPath_;
    std::string packagePath_;
    ModIdentity identity_;
    std::string versionHistory_;
    std::string globalHistory_;
    uint32_t storedCode_;
    bool readOnly_ = false;
};
