// ObjectCatalogue: every game object the editor can show and change, and the name lists its
// choice controls offer.
//
// A catalogue is loaded twice for one open mod: the retail pass reads the game alone and
// fills the retail lists (and the component name list); the working pass reads with the mod
// package mounted and fills the working lists, marking each record whose resource comes from
// the package; a working record whose file is not the package's, holds the same bytes as in
// the retail pass and goes through the same translation is a copy of the retail record. The
// catalogue owns every record of the kind lists; the view lists only refer to records of the
// current view's pair. All reads go through the resource manager handed to the constructor,
// which must be open over the right archives during a load; the kind loaders read each
// object file's bytes from its entry's archive and parse them themselves, with the
// translator the manager's INI file of it has or would get.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/QSGameResource.h"
#include "core/QSINIFile.h"
#include "core/QSMoveableArray.h"
#include "resources/QSStreamFile.h"
#include "objects/QSObjectData.h"

class ChangeList;
class QSResourceMgr;
class QSTranslator;
struct QSResource;

// A bonus definition: a section of "data\bonus.ini" with its three keys.
struct QSBRIXBonusData {
    std::string name;
    std::string name1;
    std::string name2;
    std::string action;
};

// View codes, one list pair each.
enum ViewCode : int {
    kViewUnits = 0,
    kViewHeroes = 1,
    kViewBuildings = 2,
    kViewGlobal = 3,
    kViewComponents = 4
};
inline constexpr int kViewCount = 5;

// The field kinds the records of a view are loaded with.
inline uint8_t FieldKindsOfView(int view) {
    switch (view) {
        case kViewGlobal:
            return kKindGlobal;
        case kViewComponents:
            return kKindComponents;
        default:
            return kKindUnits | kKindBuildings;
    }
}

// Kind codes of LoadObjectKind.
inline constexpr int kKindCodeUnits = 1;
inline constexpr int kKindCodeBuildings = 3;
inline constexpr int kKindCodeHeroes = 6;

inline constexpr int kMaxObjectsPerKind = 1023;

inline constexpr const char* kSettingsResource = "Data\\Settings.ini";
inline constexpr const char* kColorsResource = "Data\\Colors.ini";
inline constexpr const char* kComponentsResource = "data\\objectdata\\components.ini";
inline constexpr const char* kBonusResource = "data\\bonus.ini";

using QSObjectList = QSMoveableArray<QSObjectData*>;
// Orders two records: <0, 0 or >0.
using ObjectComparator = std::function<int(const QSObjectData*, const QSObjectData*)>;

// A field a clone enters as a change of the session (the change list records it).
struct ClonedField {
    std::string identity;  // the clone's unique name
    std::string section;
    std::string key;
    std::string value;   // the copied value
    std::string before;  // "Off"
    std::string retail;  // "Off"
    std::string label;   // the caption of the field's label
};

class ObjectCatalogue {
  public:
    explicit ObjectCatalogue(QSResourceMgr& mgr);
    ~ObjectCatalogue();
    ObjectCatalogue(const ObjectCatalogue&) = delete;
    ObjectCatalogue& operator=(const ObjectCatalogue&) = delete;

    // Called after every object a kind loader reads, so that a window can repaint.
    void SetProgressCallback(std::function<void()> progress) { progress_ = std::move(progress); }
    // The order of working lists; proper name, then unique name, until set.
    void SetWorkingComparator(ObjectComparator compare);
    // Proper name, then unique name, both case-insensitive.
    static int CompareByProperName(const QSObjectData* a, const QSObjectData* b);

    // Components, global settings, units, heroes and buildings, in this order.
    void LoadAllObjects(bool retail);
    // Every INI resource of "Data\ObjectData\<directory>\"; returns the number read.
    int LoadObjectKind(const char* directory, int kindCode, bool retail);
    // How many objects LoadObjectKind would read from that directory now (the limit included).
    int CountObjectKind(const char* directory) const;
    void LoadGlobalObjects(bool retail);
    void LoadComponents(bool retail);
    void LoadBonusDefinitions();
    void LoadSpellNames();
    void LoadTechnologyNames();
    void LoadSampleNames();

    // Frees every record of the retail or the working lists of all five kinds; the working
    // pass also empties the component name list. A view list that refers to the freed
    // records is emptied as well.
    void DeleteAllObjects(bool retail);
    // Empties the bonus definitions and the spell, technology and sample name lists.
    void ClearSideLists();

    // Makes the view lists refer to the records of one view's pair.
    void SelectView(int viewCode);
    int CurrentView() const { return view_; }
    // Sorts the view list with the working comparator (the global settings keep their order).
    void SortViewList();

    // Index of the first view-list record with that unique name (case-insensitive), or -1.
    int FindObjectIndex(const char* uniqueName) const;
    // The first view retail record with that unique name, or null. Looked up by the names'
    // HashName in an index made on the first call after the view changed: showing, checking
    // and saving ask this for every field of every object.
    QSObjectData* FindRetailCounterpart(const char* uniqueName) const;
    // Copies the view record at shownIndex under a new unique name into the view list and
    // the working list of the current view, and reports in changes the fields that are to be
    // entered as changes of the session. Returns the clone's index in the view list, or -1
    // when nothing was cloned (no such record, a component, or the name already exists).
    int CloneObject(int shownIndex, const char* newUniqueName, std::vector<ClonedField>* changes);
    // The same clone, with its fields entered into the session's change list (SetField).
    int CloneObject(int shownIndex, const char* newUniqueName, ChangeList& changes);

    // Removes the view-list record at shownIndex from the view list and the current view's
    // working list (which is sorted again) and destroys it. Returns false for no such record.
    bool DeleteObject(int shownIndex);

    QSObjectList& Objects(int viewCode, bool retail);
    const QSObjectList& Objects(int viewCode, bool retail) const;
    const QSObjectList& ViewList() const { return viewList_; }
    const QSObjectList& ViewRetailList() const { return viewRetailList_; }

    const std::vector<QSBRIXBonusData>& BonusDefinitions() const { return bonuses_; }
    const std::vector<std::string>& ComponentNames() const { return componentNames_; }
    const std::vector<std::string>& SpellNames() const { return spellNames_; }
    const std::vector<std::string>& TechnologyNames() const { return technologyNames_; }
    const std::vector<std::string>& SampleNames() const { return sampleNames_; }
    // Index of a sample name (binary search, case-insensitive), or -1.
    int FindSampleName(const std::string& name) const;

  private:
    // What the values of a retail record were made from: where its file's bytes lie (the
    // archive file, as stamped when opened, and the file's place in its table) and the
    // translation they went through. The working pass copies the record when its file is
    // not the mod's and both are the same again, rather than read and load the file anew.
    struct Translation {
        const QSTranslator* translator = nullptr;
        uint64_t stamp = 0;  // the localisation table's ContentStamp; 0 without a translator
        bool operator==(const Translation&) const = default;
    };
    struct RetailSource {
        std::string_view name;  // the record's resource name
        const QSObjectData* record = nullptr;
        FileStamp archive;
        size_t node = 0;  // index in the archive's file table
        uint32_t length = 0;
        Translation translation;
    };
    // One kind's kept files in the order the retail pass read them, found by name; at once
    // when asked for in that order, as the working pass mostly asks.
    class RetailSources {
      public:
        void Clear();
        void Add(RetailSource source);
        const RetailSource* Find(std::string_view name);

      private:
        std::vector<RetailSource> list_;
        std::unordered_map<std::string_view, size_t> index_;  // made on the first miss
        size_t next_ = 0;
    };

    // The translator the manager gives the INI files it makes, once one kind load has
    // seen it make one (it is not changed during a load).
    struct NewFileTranslation {
        bool known = false;
        const QSTranslator* translator = nullptr;
    };

    // Where the entry's bytes lie; false when it is not in an archive.
    bool PlaceOf(const QSResource& entry, RetailSource& out) const;
    // What a translator does now; false when it cannot be told whether it does the same
    // another time (a translator other than the localisation table).
    static bool TranslationOf(const QSTranslator* translator, Translation& out);
    // The translator the resource's INI values would go through now: its INI file's, or for
    // a file not made yet the one new files get. False when the resource is held as another
    // kind.
    bool TranslatorNow(const QSResource& entry, const std::string& resource,
                       NewFileTranslation& newFiles, const QSTranslator*& out) const;

    // One object file's bytes read and parsed by one thread, with what it keeps between files.
    struct FileReader {
        QSINIFile parser;
        ResourceContent text;  // each file's bytes in turn, parsed in place
        uint32_t capacity = 0;
        ReadWindow window;
    };
    // A record to be made from an object file in an archive, as LoadFromIni(mgr_, name) would
    // make it, with the translator the manager's INI file of it has or would get; or a copy
    // of a retail record.
    struct RecordJob {
        const QSObjectData* copyOf = nullptr;  // then nothing else is needed
        const QSStreamFile* archive = nullptr;
        const QSResource* entry = nullptr;
        const std::string* resource = nullptr;
        const QSTranslator* translator = nullptr;
        uint8_t changeState = kUnchanged;
    };
    struct MadeRecord {
        std::unique_ptr<QSObjectData> record;  // null when the parse noted a duplicate key
        uint32_t delivered = 0;                // bytes the archive delivered
    };
    // Safe on two threads at once with different readers: it reads archives, the translator
    // and retail records, and changes only the reader and out.
    static void MakeRecord(const RecordJob& job, FileReader& reader, MadeRecord& out);
    // Keeps where a retail record's bytes lie and their translation for the working pass.
    void Remember(const RecordJob& job, uint32_t delivered, int view, const QSObjectData& record);
    // Whether the entry's bytes lie where the retail file's did (the same file of the same
    // archive, unchanged).
    bool SamePlace(const RetailSource& source, const QSResource& entry) const;
    // The retail record of the view read from the same bytes (the same file of the same
    // archive, unchanged) with the same translation, or null.
    const QSObjectData* CopyableRetail(const QSResource& entry, const std::string& resource,
                                       bool translatorKnown, const QSTranslator* translator,
                                       int view);

    std::unique_ptr<QSObjectData> NewFixedRecord(const char* resource, const std::string& uniqueName);
    static void FreeAll(QSObjectList& list);
    void SortWorking(QSObjectList& list) const;

    QSResourceMgr& mgr_;
    std::function<void()> progress_;
    ObjectComparator workingCompare_;

    // Index: view code. Working lists own their records; so do the retail lists.
    std::array<std::unique_ptr<QSObjectList>, kViewCount> working_;
    std::array<std::unique_ptr<QSObjectList>, kViewCount> retail_;
    QSObjectList viewList_{256, 128};
    QSObjectList viewRetailList_{256, 128};
    // viewRetailList_ by (HashName of the unique name, position), sorted; empty until wanted.
    mutable std::vector<std::pair<uint32_t, uint32_t>> retailIndex_;
    mutable bool retailIndexed_ = false;
    // Clones made in a view without a working list of its own (the global settings view).
    QSObjectList loose_{8, 8};
    int view_ = kViewUnits;

    // Index: view code; by resource name. Filled by the retail pass of a kind, emptied by
    // its working pass and whenever the retail records go.
    std::array<RetailSources, kViewCount> retailSources_;
    FileReader reader_;       // this thread's
    FileReader aheadReader_;  // the other thread's while a kind loads

    std::vector<QSBRIXBonusData> bonuses_;
    std::vector<std::string> componentNames_;
    std::vector<std::string> spellNames_;
    std::vector<std::string> technologyNames_;
    std::vector<std::string> sampleNames_;
};
