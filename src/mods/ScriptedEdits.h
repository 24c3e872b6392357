// ScriptedEdits: edits of an open mod written as text, as a script hands them to
// `brix-archive save`: one field "OBJECT:SECTION/KEY=VALUE", a clone "OLD=NEW", or a whole
// table in the form `brix-archive table` writes.
//
// Every edit is made through the project's own editing calls, the ones the main window makes
// (EditField, EditSoundSlot, ToggleComponent, ToggleBonus, EditBonusValue, CloneObject), so
// the change records, labels and colours are the window's. A value the window's control could
// not hold is refused rather than recorded: a drop-down item the list does not offer, more
// characters than the box takes, a line break outside the description, a field the object's
// kind does not have. Each refusal is a message naming the edit (and for a table the row and
// the column); a refused edit changes nothing.
//
// SECTION/KEY names a field as the table's columns do: the section and key a change is
// recorded under ("ObjectData/MaxHitPoints", "Level1/Defense", "component/GoldCost" for a
// component's field, "ObjectData/ProperName"). Beyond the table's columns a field edit takes
// the sound slots ("ObjectData/DeathSound1", "Attack2/Sound2", ...: a sample name of the game
// or a local WAV file), "BuildHierarchy/COMPONENT" (On or Off) and "ElementBonus/NAME" to
// "SupportBonus3/NAME" (a value, which ticks the bonus first when the list lacks it, or Off).
// OBJECT is a unique name in any letter case, looked for among the units, heroes, buildings
// and components, then the two global records, "Settings" and "Colors".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class ModProject;
struct FieldDef;

// A field as a table names its column: the section and key a change is recorded under, and
// "component/Key" for a component's field ("ObjectData/MaxHitPoints", "component/GoldCost").
inline constexpr const char* kComponentColumnSection = "component";
std::string TableColumnOf(const FieldDef& field);
// The field of a column so named (letter case aside), or null.
const FieldDef* FieldByColumn(std::string_view section, std::string_view key);

// "OBJECT:SECTION/KEY=VALUE", split at the first ":", the first "=" after it and the first "/"
// between them.
struct FieldEdit {
    std::string object;
    std::string section;
    std::string key;
    std::string value;
};
// The parts of a field edit; nullopt, with *error naming the text, when one is missing.
std::optional<FieldEdit> ParseFieldEdit(std::string_view text, std::string* error);

// The records of a CSV text: fields separated by commas, records ended by CR LF or LF (the
// last one may lack its end), a field in double quotes holding commas, quotes (doubled) and
// line breaks. A UTF-8 byte order mark at the start is skipped. nullopt, with *error saying
// where, for a stray quote or an unclosed quoted field.
using CsvRows = std::vector<std::vector<std::string>>;
std::optional<CsvRows> ReadCsv(std::string_view text, std::string* error);

class ScriptedEdits {
  public:
    explicit ScriptedEdits(ModProject& project);

    // Each returns an empty text when the edit is made, else why not.
    //
    // One field edit, "OBJECT:SECTION/KEY=VALUE".
    std::string Set(std::string_view text);
    // "OLD=NEW": a unit, hero or building cloned under a new unique name no object has yet.
    std::string Clone(std::string_view text);
    // A table of one view's objects in `brix-archive table`'s CSV form (any of its columns, in
    // any order, unique_name among them): every cell that differs from its object's loaded
    // value is a field edit. unique_name picks the object and change_state is not read. The
    // whole table is checked before any edit is made; source names the table in messages.
    std::string ApplyTable(std::string_view csv, int view, const std::string& source);

  private:
    struct Target {
        int view = -1;
        int index = -1;  // in the view list, the view selected
    };
    struct Column;

    // The object of that unique name, its view selected; false when there is none.
    bool Locate(std::string_view uniqueName, Target* out);
    bool LocateIn(int view, std::string_view uniqueName, Target* out);
    void Select(int view);
    void Forget();
    std::string Apply(const Target& target, const Column& column, const std::string& value);
    std::string Check(const Target& target, const Column& column, const std::string& value,
                      std::string* item) const;

    ModProject& project_;
    int selected_ = -1;  // the view this object selected last
    // Folded unique names: of the selected view's list to indexes, and of every view to it.
    std::unordered_map<std::string, int> indexes_;
    std::unordered_map<std::string, int> views_;
};
