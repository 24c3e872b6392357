// brix-archive table and history: an installation opened as the editor opens it, driven
// through the executable on a small installation written here and on a sample installation.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <sstream>

#include "core/QSError.h"
#include "objects/FieldTable.h"
#include "support/Archives.h"
#include "support/RunTool.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace fs = std::filesystem;

namespace {

using Rows = std::vector<std::vector<std::string>>;

// Reads CSV as written by the tool: CR LF after every record, quoted fields with doubled
// quotes. Anything else (a bare LF, a stray quote, a missing last line end) gives nothing.
std::optional<Rows> ParseCsv(const std::string& text) {
    Rows rows;
    std::vector<std::string> row;
    std::string field;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '"') {
            for (++i;; ++i) {
                if (i >= text.size()) return std::nullopt;
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        ++i;
                    } else {
                        ++i;
                        break;
                    }
                } else {
                    field += text[i];
                }
            }
        } else {
            while (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n') {
                if (text[i] == '"') return std::nullopt;
                field += text[i++];
            }
        }
        row.push_back(std::move(field));
        field.clear();
        if (i < text.size() && text[i] == ',') {
            ++i;
        } else if (text.compare(i, 2, "\r\n") == 0) {
            i += 2;
            rows.push_back(std::move(row));
            row.clear();
        } else {
            return std::nullopt;
        }
    }
    return rows;
}

struct JsonValue {
    bool number = false;
    std::string text;  // a string's bytes, or a number as written
};
using JsonObject = std::vector<std::pair<std::string, JsonValue>>;

// A strict reader for an array of flat objects of strings and integers, members in order.
class JsonReader {
public:
    explicit JsonReader(const std::string& text) : s_(text) {}

    std::optional<std::vector<JsonObject>> Array() {
        std::vector<JsonObject> out;
        if (!Take('[')) return std::nullopt;
        if (!Take(']')) {
            do {
                std::optional<JsonObject> object = Object();
                if (!object) return std::nullopt;
                out.push_back(std::move(*object));
            } while (Take(','));
            if (!Take(']')) return std::nullopt;
        }
        Space();
        if (i_ != s_.size()) return std::nullopt;
        return out;
    }

private:
    void Space() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t')) ++i_;
    }
    bool Take(char c) {
        Space();
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    std::optional<JsonObject> Object() {
        JsonObject object;
        if (!Take('{')) return std::nullopt;
        if (Take('}')) return object;
        do {
            std::optional<std::string> name = String();
            if (!name || !Take(':')) return std::nullopt;
            Space();
            JsonValue value;
            if (i_ < s_.size() && s_[i_] == '"') {
                std::optional<std::string> text = String();
                if (!text) return std::nullopt;
                value.text = *text;
            } else {
                value.number = true;
                while (i_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[i_])) || s_[i_] == '-')) {
                    value.text += s_[i_++];
                }
                if (value.text.empty()) return std::nullopt;
            }
            object.emplace_back(std::move(*name), std::move(value));
        } while (Take(','));
        if (!Take('}')) return std::nullopt;
        return object;
    }
    std::optional<std::string> String() {
        if (!Take('"')) return std::nullopt;
        std::string out;
        while (i_ < s_.size() && s_[i_] != '"') {
            const auto c = static_cast<unsigned char>(s_[i_++]);
            if (c < 0x20) return std::nullopt;
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            if (i_ >= s_.size()) return std::nullopt;
            const char e = s_[i_++];
            const std::string plain = "\"\\/bfnrt", meant = "\"\\/\b\f\n\r\t";
            if (size_t k = plain.find(e); k != std::string::npos) {
                out += meant[k];
            } else if (e == 'u' && i_ + 4 <= s_.size()) {
                const unsigned long code = std::stoul(s_.substr(i_, 4), nullptr, 16);
                if (code >= 0x80) return std::nullopt;  // never needed for these tables
                out += static_cast<char>(code);
                i_ += 4;
            } else {
                return std::nullopt;
            }
        }
        if (i_ >= s_.size()) return std::nullopt;
        ++i_;
        return out;
    }

    const std::string& s_;
    size_t i_ = 0;
};

TestFile Unit(const std::string& unique, const std::string& ini) {
    return {"Data\\ObjectData\\units\\" + unique + ".ini", ini, ""};
}

// A description that needs quoting in CSV and escaping in JSON; a tab and a byte above 0x7F.
const std::string kDescription = "Long \"pointy\" stick, with reach \\ C:\\x\tb\xc3\xb4";

std::string PikeIni(const char* defense) {
    return IniText({"[ObjectData]", "ProperName=Pikeman", std::string("Defense=") + defense, "[UnitData]",
                "Description=" + kDescription, "[Attack1]", "MoraleType=HOLY"});
}

const std::vector<TestFile> kGame = {
    {"data\\objectdata\\components.ini",
     IniText({"[Wall]", "ProperName=Wall", "GoldCost=50", "[Forge]", "ProperName=Forge", "GoldCost=100",
          "BuildTime=12"}),
     ""},
    {"Data\\Settings.ini", IniText({"[SimulationSettings]", "ResourceMultiplier=1.5", "MinimumDamage=3"}), ""},
    {"Data\\Colors.ini", IniText({"[PlayerColors]", "Color_9_shade_1=40,10,60", "Color_9_shade_32=200,110,240"}), ""},
    Unit("Pike", PikeIni("10")),
    Unit("Bow", IniText({"[ObjectData]", "ProperName=Bowman", "Defense=4"})),
};

// Changes the pike's defence and adds a unit whose unique name sorts last but proper name first.
const std::vector<TestFile> kPackage = {
    {"Data\\ModInfo.ini",
     IniText({"[ModInfo]", "TwoCharacterIdentifier=IR", "Version=1.2", "Author=Maren Holt",
          "DravikVersion=DSC 1.0.3", "BrixVersion=1.0.7.0", "Comments=Sharper pikes."}),
     ""},
    Unit("Pike", PikeIni("12")),
    Unit("Zed_Axe", IniText({"[ObjectData]", "ProperName=Axeman", "Defense=6"})),
};

class ProjectCommands : public ::testing::Test {
protected:
    void SetUp() override {
        DisableLog();
        fs::create_directories(dir / "game");
        WriteArchive(dir / "game" / "Dravik.qsw", kGame, "DV", "1.0.3");
        WriteArchive(dir / "Iron.qsx", kPackage, "IR", "1.2");
    }

    ToolResult Run(const std::vector<std::string>& args) { return RunTool(BRIX_ARCHIVE_EXE, args, dir.path()); }

    // The table as rows; the test fails when the output is not well-formed CSV.
    Rows Table(std::vector<std::string> args) {
        args.insert(args.begin(), "table");
        ToolResult r = Run(args);
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.err, "");
        std::optional<Rows> rows = ParseCsv(r.out);
        EXPECT_TRUE(rows) << r.out;
        return rows.value_or(Rows{});
    }

    TempDir dir;
};

// Column of a field row: unique_name and proper_name come first.
size_t Column(int row) { return static_cast<size_t>(row) + 1; }

// One column of every row below the header.
std::vector<std::string> ColumnOf(const Rows& rows, size_t column) {
    std::vector<std::string> values;
    for (size_t i = 1; i < rows.size(); ++i) values.push_back(column < rows[i].size() ? rows[i][column] : "<none>");
    return values;
}

}  // namespace

TEST_F(ProjectCommands, TableHeaderNamesEveryFieldAsRecorded) {
    ToolResult r = Run({"table", "game", "--kind", "units"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_THAT(r.out, StartsWith("unique_name,proper_name,UnitData/Description,ObjectData/Defense,Level1/Defense,"
                                  "Level2/Defense,Level3/Defense,SimulationSettings/ResourceMultiplier,"));
    std::optional<Rows> rows = ParseCsv(r.out);
    ASSERT_TRUE(rows && !rows->empty()) << r.out;
    const std::vector<std::string>& header = rows->front();
    ASSERT_EQ(header.size(), 107u);
    EXPECT_EQ(header[0], "unique_name");
    EXPECT_EQ(header[1], "proper_name");
    EXPECT_EQ(header[106], "change_state");
    for (const FieldDef& f : kFieldTable) {
        const std::string section = f.shownSection ? f.shownSection : "component";
        EXPECT_EQ(header[Column(f.row)], section + "/" + f.shownKey) << "row " << f.row;
    }
    // Recorded names, not the names read: the colour and morale rows differ.
    EXPECT_EQ(header[Column(13)], "PlayerColors/Color_9_min");
    EXPECT_EQ(header[Column(92)], "Attack1/MoraleDamageType");
    EXPECT_EQ(header[Column(15)], "component/GoldCost");
    EXPECT_EQ(std::set<std::string>(header.begin(), header.end()).size(), header.size());

    // The same columns for every kind, even with no object of that kind.
    EXPECT_EQ(Table({"game", "--kind", "heroes"}), Rows{header});
}

TEST_F(ProjectCommands, TableListsTheWorkingSetInTheEditorsOrder) {
    const struct Case {
        std::vector<std::string> args;
        std::vector<std::string> names;
        std::vector<std::string> states;
        std::vector<std::string> defenses;
    } cases[] = {
        {{"game", "--kind", "units"}, {"Bow", "Pike"}, {"0", "0"}, {"4", "10"}},
        {{"game", "--mod", "Iron.qsx", "--kind", "units", "--format", "csv"},
         {"Zed_Axe", "Bow", "Pike"},
         {"1", "0", "1"},
         {"6", "4", "12"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        Rows rows = Table(c.args);
        ASSERT_EQ(rows.size(), c.names.size() + 1);
        for (const auto& row : rows) EXPECT_EQ(row.size(), 107u);
        EXPECT_EQ(ColumnOf(rows, 0), c.names);
        EXPECT_EQ(ColumnOf(rows, 106), c.states);
        EXPECT_EQ(ColumnOf(rows, Column(2)), c.defenses);
        const std::vector<std::string>& pike = rows.back();
        EXPECT_EQ(pike[1], "Pikeman");
        EXPECT_EQ(pike[Column(1)], kDescription);
        EXPECT_EQ(pike[Column(92)], "Holy");        // loaded as the editor shows it
        EXPECT_EQ(pike[Column(50)], "50.0");        // a default
    }
    // Quoted as RFC 4180 has it, not only readable by a lenient reader.
    ToolResult r = Run({"table", "game", "--kind", "units"});
    EXPECT_THAT(r.out, HasSubstr(",\"Long \"\"pointy\"\" stick, with reach \\ C:\\x\tb\xc3\xb4\","));
}

TEST_F(ProjectCommands, TableOfGlobalsAndComponents) {
    Rows globals = Table({"game", "--kind", "globals"});
    ASSERT_EQ(globals.size(), 3u);
    EXPECT_THAT(ColumnOf(globals, 0), ElementsAre("Settings", "Colors"));
    EXPECT_THAT(ColumnOf(globals, 1), ElementsAre("Settings", "Colors"));
    EXPECT_THAT(ColumnOf(globals, Column(6)), ElementsAre("1.5", ""));
    EXPECT_THAT(ColumnOf(globals, Column(12)), ElementsAre("3", ""));
    EXPECT_THAT(ColumnOf(globals, Column(13)), ElementsAre("40,10,60", "40,10,60"));
    EXPECT_THAT(ColumnOf(globals, Column(14)), ElementsAre("200,110,240", "200,110,240"));
    EXPECT_THAT(ColumnOf(globals, 106), ElementsAre("0", "0"));

    Rows components = Table({"game", "--mod", "Iron.qsx", "--kind", "components"});
    ASSERT_EQ(components.size(), 3u);
    EXPECT_THAT(ColumnOf(components, 0), ElementsAre("Forge", "Wall"));
    EXPECT_THAT(ColumnOf(components, Column(15)), ElementsAre("100", "50"));
    EXPECT_THAT(ColumnOf(components, Column(22)), ElementsAre("12", ""));
    EXPECT_THAT(ColumnOf(components, Column(2)), ElementsAre("", ""));
    EXPECT_THAT(ColumnOf(components, 106), ElementsAre("0", "0"));
}

TEST_F(ProjectCommands, JsonHoldsTheSameTableEscaped) {
    for (const char* kind : {"units", "globals", "components", "heroes"}) {
        SCOPED_TRACE(kind);
        Rows csv = Table({"game", "--mod", "Iron.qsx", "--kind", kind});
        ASSERT_FALSE(csv.empty());
        ToolResult r = Run({"table", "game", "--mod", "Iron.qsx", "--kind", kind, "--format", "json"});
        ASSERT_EQ(r.code, 0) << r.err;
        std::optional<std::vector<JsonObject>> objects = JsonReader(r.out).Array();
        ASSERT_TRUE(objects) << r.out;
        ASSERT_EQ(objects->size(), csv.size() - 1);
        for (size_t i = 0; i < objects->size(); ++i) {
            const JsonObject& object = (*objects)[i];
            ASSERT_EQ(object.size(), csv[0].size());
            for (size_t k = 0; k < object.size(); ++k) {
                EXPECT_EQ(object[k].first, csv[0][k]);
                EXPECT_EQ(object[k].second.text, csv[i + 1][k]) << object[k].first;
                EXPECT_EQ(object[k].second.number, k == object.size() - 1) << object[k].first;
            }
        }
    }
    ToolResult r = Run({"table", "game", "--kind", "units", "--format", "json"});
    EXPECT_THAT(r.out, HasSubstr("\"UnitData/Description\":\"Long \\\"pointy\\\" stick, with reach \\\\ C:\\\\x\\tb"
                                 "\xc3\xb4\","));
    EXPECT_THAT(r.out, HasSubstr(",\"change_state\":0}"));
}

TEST_F(ProjectCommands, HistoryIsTheGlobalHistoryByteForByte) {
    ToolResult r = Run({"history", "game", "--mod", "Iron.qsx"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "Mod name: Iron\r\n"
              "Mod version: 1.2\r\n\r\n"
              "Author: Maren Holt\r\n"
              "Author's URL: \r\n"
              "Author's email: \r\n"
              "Author's comments: Sharper pikes.\r\n"
              "Built with Dravik version: DSC 1.0.3\r\n"
              "Built with Brix version: 1.0.7.0\r\n\r\n"
              "Added Zed_Axe(Axeman).\r\n"
              "Changed Pike(Pikeman) Defense: from 10 to 12.\r\n");
    EXPECT_FALSE(fs::exists(dir / "Brix_log.txt"));
}

TEST_F(ProjectCommands, BadArgumentsAndUnreadableInputs) {
    std::string corrupt = ReadFile(dir / "Iron.qsx");
    corrupt.resize(corrupt.size() - 100);
    WriteFile(dir / "corrupt.qsx", corrupt);
    fs::create_directories(dir / "broken");
    std::string game = ReadFile(dir / "game" / "Dravik.qsw");
    game.resize(game.size() / 2);
    WriteFile(dir / "broken" / "Dravik.qsw", game);

    const struct Case {
        std::vector<std::string> args;
        int code;
        const char* named;  // in the message on stderr
    } cases[] = {
        {{"history", "game"}, 2, "--mod"},
        {{"table", "game"}, 2, "--kind"},
        {{"table", "game", "--kind", "trolls"}, 2, "trolls"},
        {{"table", "game", "--kind", "units", "--format", "xml"}, 2, "xml"},
        {{"table", "--kind", "units"}, 2, "INSTALL_DIR"},
        {{"table", "nowhere", "--kind", "units"}, 1, "nowhere"},
        {{"history", "nowhere", "--mod", "Iron.qsx"}, 1, "nowhere"},
        {{"table", "game", "--mod", "absent.qsx", "--kind", "units"}, 1, "absent.qsx"},
        {{"history", "game", "--mod", "absent.qsx"}, 1, "absent.qsx"},
        {{"table", "game", "--mod", "corrupt.qsx", "--kind", "globals"}, 1, "corrupt.qsx"},
        {{"history", "game", "--mod", "corrupt.qsx"}, 1, "corrupt.qsx"},
        // A broken game archive is a fatal error of the core, ended the same way.
        {{"table", "broken", "--kind", "units"}, 1, "Dravik.qsw"},
        {{"history", "broken", "--mod", "Iron.qsx"}, 1, "Dravik.qsw"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        ToolResult r = Run(c.args);
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_THAT(r.err, HasSubstr(c.named));
        if (c.code == 1) {
            EXPECT_THAT(r.err, StartsWith("brix-archive: "));
        }
    }
    EXPECT_FALSE(fs::exists(dir / "Brix_log.txt"));
}

TEST(ProjectCommandsOnSample, TableCountsEveryUnitAndHistoryOpensAMod) {
    TempDir dir;
    ToolResult made = RunTool(BRIX_SAMPLE_GAME, {"--edition", "dsc", "--out", dir.path().string(), "--mods"}, dir.path());
    ASSERT_EQ(made.code, 0) << made.err;

    // Unit files by name, as list reports them, over the game's archives and then a package.
    std::set<std::string> units;
    auto addUnits = [&](const fs::path& archive) {
        ToolResult list = RunTool(BRIX_ARCHIVE_EXE, {"list", archive.string()}, dir.path());
        ASSERT_EQ(list.code, 0) << list.err;
        const std::string prefix = "data\\objectdata\\units\\";
        std::istringstream lines(list.out);
        for (std::string line; std::getline(lines, line);) {
            std::string name = line.substr(line.find(' ', line.find(' ') + 1) + 1);
            for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            if (name.rfind(prefix, 0) == 0 && name.find('\\', prefix.size()) == std::string::npos &&
                name.size() > 4 && name.compare(name.size() - 4, 4, ".ini") == 0) {
                units.insert(name);
            }
        }
    };
    for (const auto& e : fs::directory_iterator(dir.path())) {
        if (e.path().extension() == ".qsw") addUnits(e.path());
    }
    ASSERT_GT(units.size(), 0u);

    auto rows = [&](std::vector<std::string> args) {
        ToolResult r = RunTool(BRIX_ARCHIVE_EXE, args, dir.path());
        EXPECT_EQ(r.code, 0) << r.err;
        std::optional<Rows> parsed = ParseCsv(r.out);
        EXPECT_TRUE(parsed);
        return parsed ? parsed->size() - 1 : 0;
    };
    EXPECT_EQ(rows({"table", ".", "--kind", "units"}), units.size());
    addUnits(dir / "IronTide.qsx");
    EXPECT_EQ(rows({"table", ".", "--mod", "IronTide.qsx", "--kind", "units"}), units.size());

    ToolResult history = RunTool(BRIX_ARCHIVE_EXE, {"history", ".", "--mod", "IronTide.qsx"}, dir.path());
    EXPECT_EQ(history.code, 0) << history.err;
    EXPECT_THAT(history.out, StartsWith("Mod name: IronTide\r\n"));
    EXPECT_THAT(history.out, HasSubstr("\r\nAdded "));
    EXPECT_FALSE(fs::exists(dir / "Brix_log.txt"));
}
