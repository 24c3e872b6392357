// ChangeList: the changes of the current editing session, one record per field.
//
// Loaded records are never changed by editing; every edit becomes a QSChange, kept in one
// list sorted by (object identity, section, key), each compared case-insensitively. The
// identity is the object's unique name, or "Components" for every component (whose section
// is then the component's name). SetField and UndoField keep the records and the objects'
// change states up to date and return what the controls they were given must show; the
// windows only render that.
#pragma once

#include <cstdint>
#include <functional>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/QSMoveableArray.h"

class QSObjectData;

// The identity under which every component's changes are filed.
inline constexpr const char* kComponentsIdentity = "Components";

// A text that may be missing: an object without a retail counterpart has no retail value.
// nullptr stands for none (a std::optional<std::string_view> would take it for a C string).
class OptionalText {
  public:
    OptionalText() = default;
    OptionalText(std::nullptr_t) {}
    OptionalText(std::string_view text) : text_(text), present_(true) {}
    OptionalText(const std::string& text) : text_(text), present_(true) {}
    // None for a null pointer.
    OptionalText(const std::string* text) : present_(text != nullptr) {
        if (text) text_ = *text;
    }
    explicit operator bool() const { return present_; }
    std::string_view operator*() const { return text_; }
    std::string_view value_or(std::string_view none) const { return present_ ? text_ : none; }

  private:
    std::string_view text_;
    bool present_ = false;
};

// A text colour as red, green, blue.
struct QSColor {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    friend bool operator==(const QSColor&, const QSColor&) = default;
};
inline constexpr QSColor kColorUnchanged{0, 0, 0};       // black: as in the retail game
inline constexpr QSColor kColorMod{0, 128, 0};           // green: the mod's or no retail value
inline constexpr QSColor kColorSession{255, 0, 0};       // red: changed in this session
// Lists draw their selection in a pale fill, so that the red and green of changed items stay
// legible on it; a selected item that is unchanged keeps black text there.
inline constexpr QSColor kSelectionFill{204, 228, 255};
inline constexpr QSColor kColorSelected{0, 0, 0};  // a selected, unchanged list item

// The text colour of an object list row: red once changed in this session, green when the
// mod supplies it, otherwise black (kColorSelected on the selection).
QSColor ObjectRowColor(uint8_t changeState, bool selected);

// The mark a list row or a box carries beside its colour, so that a change can be told
// without telling red from green: a corner triangle for a change of this session, a dot for
// what the mod supplies.
enum class ChangeMark : uint8_t { None, Session, Mod };
ChangeMark MarkOfState(uint8_t changeState);
// The mark that goes with a text colour the change list gives (kColorSession, kColorMod).
ChangeMark MarkOfColor(QSColor color);

// One field changed in this session.
struct QSChange {
    std::string identity;    // unique name, or "Components"
    std::string objectName;  // the object's proper name when the change was made
    std::string label;       // caption of the field's label, for the change log
    std::string retail;      // the retail value; empty when there is no retail counterpart
    std::string before;      // the loaded value
    std::string value;       // the session value
    std::string section;     // for a component, the component's name
    std::string key;
    // Object names of the controls that show the field; empty when none.
    std::string mainControl;
    std::string secondControl;
    std::string thirdControl;
};

// The up to three controls a field change recolours, by object name; empty for none.
struct FieldControls {
    std::string main;
    std::string second;
    std::string third;
};

// What one control must show after SetField or UndoField, or when an object is shown.
struct ControlUpdate {
    std::string control;
    std::string text;
    QSColor color;
    int selected = -1;  // for lists: the item to select; -1 for none or not a list
};

// The result of SetField and UndoField: the given controls to update (none when nothing
// changed) and whether the object list's row colours must be repainted.
struct FieldUpdate {
    std::vector<ControlUpdate> controls;
    bool repaintObjectList = false;
};

class ChangeList {
  public:
    // Tells whether a resource comes from the mod package; UndoField uses it to return an
    // object to its mod colour. Without it every object returns to the retail colour.
    using ModResourceTest = std::function<bool(const std::string& resourceName)>;

    explicit ChangeList(ModResourceTest isModResource = {});
    ~ChangeList();
    ChangeList(const ChangeList&) = delete;
    ChangeList& operator=(const ChangeList&) = delete;

    void SetModResourceTest(ModResourceTest isModResource) {
        isModResource_ = std::move(isModResource);
    }

    // The change record of one field, or null.
    QSChange* FindChange(std::string_view identity, std::string_view section, std::string_view key);
    const QSChange* FindChange(std::string_view identity, std::string_view section,
                               std::string_view key) const;
    // Whether any change record carries this identity.
    bool ObjectHasChanges(std::string_view identity) const;

    // Records newValue as the session value of one field of record (which may be null).
    // before is the loaded value, retail the retail counterpart's value (null when the object
    // has none; the change record keeps empty text then).
    FieldUpdate SetField(QSObjectData* record, const std::string& identity,
                         const FieldControls& controls, const std::string& section,
                         const std::string& key, const std::string& newValue,
                         std::string_view before, OptionalText retail,
                         const std::string& label, const std::string& objectName);
    // Takes the field's change back; nothing happens when it has none. retail is the
    // counterpart's value, null when the object has no retail counterpart.
    FieldUpdate UndoField(QSObjectData* record, const std::string& identity,
                          const FieldControls& controls, const std::string& section,
                          const std::string& key, OptionalText retail);

    // Releases every change record.
    void ClearChangeList();
    // Releases every change record filed under identity (case-insensitive).
    void RemoveChangesOf(std::string_view identity);

    uint32_t Count() const { return changes_.Count(); }
    const QSChange& operator[](uint32_t index) const { return *changes_[index]; }
    const QSChange* const* begin() const { return changes_.begin(); }
    const QSChange* const* end() const { return changes_.end(); }

  private:
    QSMoveableArray<QSChange*> changes_{1000, 100};
    ModResourceTest isModResource_;
};

// The colour of a field without a change record: green when there is no retail counterpart
// (retail null) or the loaded value differs from its value (case-insensitive), black
// otherwise.
QSColor LoadedValueColor(std::string_view loaded, OptionalText retail);
