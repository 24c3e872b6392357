// brix-archive save: a mod saved from a script's edits, driven through the executable over a
// sample installation, and read back with info, table and history.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "core/QSError.h"
#include "mods/ScriptedEdits.h"
#include "support/RunTool.h"

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace fs = std::filesystem;

namespace {

// CSV as table writes it: CR LF ends, a field quoted when it holds a comma, a quote or a line
// break.
std::string WriteCsv(const CsvRows& rows) {
    std::string out;
    for (const auto& row : rows) {
        for (size_t i = 0; i < row.size(); ++i) {
            if (i) out += ',';
            if (row[i].find_first_of(",\"\r\n") == std::string::npos) {
                out += row[i];
                continue;
            }
            out += '"';
            for (char c : row[i]) out += c == '"' ? std::string("\"\"") : std::string(1, c);
            out += '"';
        }
        out += "\r\n";
    }
    return out;
}

size_t ColumnOf(const CsvRows& rows, const std::string& name) {
    const auto& header = rows.at(0);
    return static_cast<size_t>(std::find(header.begin(), header.end(), name) - header.begin());
}

// Every file of a directory with its bytes.
std::map<std::string, std::string> Files(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(dir))
        files[e.path().filename().string()] = ReadFile(e.path());
    return files;
}

class SaveCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        DisableLog();
        for (const char* edition : {"dsc", "dat"}) {
            ToolResult made = RunTool(
                BRIX_SAMPLE_GAME,
                {"--edition", edition, "--out", (dir / edition).string(), "--mods"}, dir.path());
            ASSERT_EQ(made.code, 0) << made.err;
        }
    }

    // brix-archive run in the base installation's directory.
    ToolResult Run(const std::vector<std::string>& args, const std::string& where = "dsc") {
        return RunTool(BRIX_ARCHIVE_EXE, args, dir / where);
    }

    ToolResult Saved(std::vector<std::string> args, const std::string& where = "dsc") {
        args.insert(args.begin(), {"save", "."});
        ToolResult r = Run(args, where);
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.err, "");
        return r;
    }

    CsvRows Table(const std::vector<std::string>& args) {
        std::vector<std::string> all = {"table", "."};
        all.insert(all.end(), args.begin(), args.end());
        ToolResult r = Run(all);
        EXPECT_EQ(r.code, 0) << r.err;
        std::string error;
        std::optional<CsvRows> rows = ReadCsv(r.out, &error);
        EXPECT_TRUE(rows) << error;
        return rows.value_or(CsvRows{});
    }

    std::string Info(const std::string& package, const std::string& where = "dsc") {
        return Run({"info", package}, where).out;
    }
    std::string History(const std::string& package, const std::string& where = "dsc") {
        return Run({"history", ".", "--mod", package}, where).out;
    }

    TempDir dir;
};

}  // namespace

TEST_F(SaveCommand, EveryOptionReachesThePackage) {
    const CsvRows units = Table({"--kind", "units"});
    const CsvRows heroes = Table({"--kind", "heroes"});
    CsvRows components = Table({"--kind", "components"});
    ASSERT_GT(units.size(), 2u);
    ASSERT_GT(heroes.size(), 1u);
    ASSERT_GT(components.size(), 1u);
    const std::string unit = units[1][0], hero = heroes[1][0], component = components[1][0];
    const size_t gold = ColumnOf(components, "component/GoldCost");
    components[1][gold] = "4321";
    WriteFile(dir / "dsc" / "components.csv", WriteCsv(components));

    const ToolResult r = Saved({"--name",     "Scripted",
                                "--id",       "SC",
                                "--author",   "Ada Quill",
                                "--www",      "quill.example",
                                "--email",    "ada@quill.example",
                                "--comments", "Made by a script.",
                                "--code",     "Qu1l",
                                "--set",      unit + ":ObjectData/Defense=9",
                                "--clone",    hero + "=Hero_Twin",
                                "--set",      "Hero_Twin:Level1/Defense=5",
                                "--csv",      "components.csv",
                                "--kind",     "components"});
    // The build window's lines: its first, then the writer's to the last.
    EXPECT_THAT(r.out, StartsWith("Building Mod\nWriting mod file './Scripted.qsx'\nAdding "
                                  "'Data\\ModInfo.ini' length: "));
    EXPECT_THAT(r.out, HasSubstr("\nMod built with no errors.\n"));
    EXPECT_THAT(r.out, EndsWith("\nClick OK to continue.\n"));

    const std::string info = Info("Scripted.qsx");
    EXPECT_THAT(info, HasSubstr("mod-id: SC\n"));
    EXPECT_THAT(info, HasSubstr("version: 0.0.0.1\n"));  // a new mod's 0.0.0.0 raised one step
    EXPECT_THAT(info, HasSubstr("access-code: protected\n"));
    const std::string history = History("Scripted.qsx");
    EXPECT_THAT(
        history,
        StartsWith("Mod name: Scripted\r\nMod version: 0.0.0.1\r\n\r\nAuthor: Ada Quill\r\n"
                   "Author's URL: quill.example\r\nAuthor's email: ada@quill.example\r\n"
                   "Author's comments: Made by a script.\r\nBuilt with Dravik version: DSC "));
    EXPECT_THAT(history, HasSubstr("Changed " + unit + "(" + units[1][1] + ") Defense: from " +
                                   units[1][ColumnOf(units, "ObjectData/Defense")] + " to 9.\r\n"));
    EXPECT_THAT(history, HasSubstr("Added Hero_Twin(" + heroes[1][1] + ").\r\n"));
    EXPECT_THAT(history,
                HasSubstr("Changed " + component + "(" + components[1][1] + ") Gold cost: from " +
                          Table({"--kind", "components"})[1][gold] + " to 4321.\r\n"));
    const CsvRows saved = Table({"--mod", "Scripted.qsx", "--kind", "heroes"});
    bool twin = false;
    for (const auto& row : saved) {
        if (row[0] == "Hero_Twin") twin = row[ColumnOf(saved, "Level1/Defense")] == "5";
    }
    EXPECT_TRUE(twin);
}

TEST_F(SaveCommand, EditionAndVersionFollowTheOpenedPackage) {
    const struct Case {
        std::string where;
        std::vector<std::string> args;
        std::string package;
        const char* version;
        const char* edition;
    } cases[] = {
        {"dsc", {"--name", "Base", "--id", "BA"}, "Base.qsx", "0.0.0.1", "DSC "},
        {"dat", {"--name", "Tithe", "--id", "TI"}, "Tithe.qsx", "0.0.0.1", "DAT "},
        {"dsc", {"--name", "Typed", "--id", "TY", "--version", "3.1"}, "Typed.qsx", "3.1", "DSC "},
        {"dsc",
         {"--mod", "IronTide.qsx", "--name", "Iron2", "--id", "IT"},
         "Iron2.qsx",
         "1.2.0.1",
         "DSC "},
        // A version below the saved one is raised past the saved one, as the editor raises it.
        {"dsc",
         {"--mod", "IronTide.qsx", "--name", "Iron3", "--id", "IT", "--version", "1.0"},
         "Iron3.qsx",
         "1.2.0.1",
         "DSC "},
        // A read-only package saved with its code keeps it.
        {"dat",
         {"--mod", "Oathsworn.qsx", "--code", "#Oth", "--name", "Oath2", "--id", "OA"},
         "Oath2.qsx",
         "2.0.0.1",
         "DAT "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        Saved(c.args, c.where);
        const std::string& package = c.package;
        const std::string history = History(package, c.where);
        EXPECT_THAT(history, HasSubstr(std::string("Mod version: ") + c.version + "\r\n"));
        EXPECT_THAT(history, HasSubstr(std::string("Built with Dravik version: ") + c.edition));
        if (c.package == "Oath2.qsx") {
            EXPECT_THAT(Info(package, c.where), HasSubstr("access-code: protected, read-only"));
        }
    }
}

TEST_F(SaveCommand, ATableChangedInASpreadsheetComesBackInTheTable) {
    CsvRows units = Table({"--kind", "units"});
    ASSERT_GT(units.size(), 3u);
    const size_t hp = ColumnOf(units, "ObjectData/MaxHitPoints"),
                 type = ColumnOf(units, "UnitData/Type");
    const size_t state = ColumnOf(units, "change_state");
    units[1][hp] = "777";
    units[3][type] = units[3][type] == "Solo" ? "support" : "solo";
    WriteFile(dir / "dsc" / "units.csv", WriteCsv(units));
    Saved({"--name", "Sheet", "--id", "SH", "--csv", "units.csv", "--kind", "units"});

    // What the table shows now: the two cells (the list in its own spelling), both rows from
    // the package, everything else as it was.
    units[3][type] = units[3][type] == "solo" ? "Solo" : "Support";
    units[1][state] = units[3][state] = "1";
    EXPECT_EQ(Table({"--mod", "Sheet.qsx", "--kind", "units"}), units);
}

TEST_F(SaveCommand, UsageErrorsAndRefusedSavesWriteNothing) {
    WriteFile(dir / "dsc" / "empty.csv", "");
    const auto before = Files(dir / "dsc");
    const struct Case {
        std::vector<std::string> args;
        int code;
        std::string named;  // in the message on stderr
    } cases[] = {
        {{"--id", "NW"}, 2, "--name"},
        {{"--name", "New"}, 2, "--id"},
        {{"--name", "New", "--id", "NW", "--csv", "empty.csv"}, 2, "--kind"},
        {{"--name", "New", "--id", "NW", "--csv", "empty.csv", "--kind", "trolls"}, 2, "trolls"},
        {{"--name", "New", "--id", "NW", "--code", "12345"}, 2, "--code"},
        {{"--name", "New", "--id", "NW", "--set", "a:b/c=d", "extra"}, 2, "extra"},
        {{"--name", "Bad*Name", "--id", "NW"},
         1,
         "Invalid mod name, must use characters suitable for a filename."},
        {{"--name", "New", "--id", "AT"}, 1, "AT is reserved for Ashen Tithe."},
        {{"--name", "New", "--id", "N"},
         1,
         "You must provide a two character identifier for the mod."},
        {{"--name", "New", "--id", "NW", "--version", "1.x"}, 1, "Mod version must be in the form"},
        {{"--name", "New", "--id", "NW", "--set", "Nobody:ObjectData/Defense=3"},
         1,
         "Nobody:ObjectData/Defense=3: no unit"},
        {{"--name", "New", "--id", "NW", "--set", "Nobody"}, 1, "Nobody: no \":\""},
        {{"--name", "New", "--id", "NW", "--clone", "Nobody=Somebody"}, 1, "Nobody=Somebody"},
        {{"--name", "New", "--id", "NW", "--csv", "absent.csv", "--kind", "units"},
         1,
         "absent.csv"},
        {{"--name", "New", "--id", "NW", "--csv", "empty.csv", "--kind", "units"},
         1,
         "empty.csv: no header row"},
        {{"--name", "New", "--id", "NW", "--mod", "absent.qsx"}, 1, "absent.qsx"},
        {{"--name", "New", "--id", "NW", "--mod", "VeylSecrets.qsx"},
         1,
         "VeylSecrets.qsx: is protected"},
        {{"--name", "New", "--id", "NW", "--mod", "VeylSecrets.qsx", "--code", "V3yI"},
         1,
         "access code is wrong"},
        {{"--name", "New", "--id", "NW", "--mod", "Oathsworn.qsx"},
         1,
         "Oathsworn.qsx: is read-only"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        std::vector<std::string> args = {"save", "."};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ToolResult r = Run(args);
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_THAT(r.err, HasSubstr(c.named));
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(Files(dir / "dsc"), before);
    }
    const ToolResult missing = Run({"save", "nowhere", "--name", "New", "--id", "NW"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_THAT(missing.err, HasSubstr("nowhere"));
    const ToolResult help = Run({"save", "--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_THAT(help.out, HasSubstr("Dravik_AT.qsw"));
}

TEST_F(SaveCommand, APackageIsReplacedWithForceOrWhenItIsTheOneOpened) {
    const fs::path iron = dir / "dsc" / "IronTide.qsx";
    const std::string original = ReadFile(iron);

    const ToolResult refused = Run({"save", ".", "--name", "IronTide", "--id", "NW"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_THAT(refused.err, HasSubstr("IronTide.qsx: exists"));
    EXPECT_THAT(refused.err, HasSubstr("--force"));
    EXPECT_EQ(ReadFile(iron), original);

    // The opened package, however named, is saved over in place: its history goes on.
    const CsvRows units = Table({"--mod", "IronTide.qsx", "--kind", "units"});
    Saved({"--mod", "./IronTide.qsx", "--name", "IronTide", "--id", "IT", "--set",
           units[1][0] + ":ObjectData/Weight=8"});
    EXPECT_NE(ReadFile(iron), original);
    EXPECT_THAT(Info("IronTide.qsx"), HasSubstr("version: 1.2.0.1\n"));
    const std::string history = History("IronTide.qsx");
    EXPECT_THAT(history, HasSubstr("Added "));  // the mod's own unit is still there
    EXPECT_THAT(history,
                HasSubstr("Changed " + units[1][0] + "(" + units[1][1] + ") Weight: from "));
    EXPECT_THAT(Run({"cat", "IronTide.qsx", "Data\\ModChanges.txt"}).out,
                HasSubstr("Version 1.2:\r\n"));

    Saved({"--name", "IronTide", "--id", "NW", "--force"});
    EXPECT_THAT(Info("IronTide.qsx"), HasSubstr("version: 0.0.0.1\n"));
    EXPECT_THAT(History("IronTide.qsx"), ::testing::Not(HasSubstr("Added ")));
}

TEST_F(SaveCommand, AWriteThatFailsLeavesTheOldPackageByteForByte) {
    const CsvRows units = Table({"--kind", "units"});
    // A sample whose name inside the package would be too long for the archive's table.
    const std::string wav = (dir / (std::string(80, 'w') + ".wav")).string();
    WriteFile(wav, "RIFF");
    const auto before = Files(dir / "dsc");
    const ToolResult r = Run({"save", ".", "--mod", "IronTide.qsx", "--name", "IronTide", "--id",
                              "IT", "--set", units[1][0] + ":ObjectData/DeathSound1=" + wav});
    EXPECT_EQ(r.code, 1);
    EXPECT_THAT(r.err, StartsWith("brix-archive: ./IronTide.qsx: "));
    EXPECT_THAT(r.err, HasSubstr("name too long"));
    EXPECT_THAT(r.out, StartsWith("Building Mod\n"));
    EXPECT_THAT(r.out, HasSubstr("name too long"));
    EXPECT_EQ(Files(dir / "dsc"), before);
}
