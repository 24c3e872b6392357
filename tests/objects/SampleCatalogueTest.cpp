// The catalogue over whole sample installations: every object of the generator's data is
// loaded the way the editor loads it, translated, and checked against the raw files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

#include "core/HashName.h"
#include "objects/ChangeList.h"
#include "objects/ObjectCatalogue.h"
#include "objects/ObjectDisplay.h"
#include "tools/sample-game/SampleGame.h"

using ::testing::Contains;

namespace {

struct Opened {
    explicit Opened(const std::filesystem::path& dir, const std::filesystem::path& package = {})
        : game(dir, package), catalogue(game.mgr) {
        game.mgr.SetTranslator(&game.loc);
    }
    OpenedInstallation game;
    ObjectCatalogue catalogue;
};

class SampleCatalogue : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        const ToolRun run =
            RunSampleGame({"--edition", GetParam(), "--out", dir.path().string(), "--mods"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
    }
    TempDir dir;
};

bool IsInteger(std::string_view text) {
    const std::string s(text);
    return std::regex_match(s, std::regex("-?[0-9]+"));
}

TEST_P(SampleCatalogue, EveryObjectLoadsAsItsFileSays) {
    Opened o(dir.path());
    o.catalogue.LoadAllObjects(true);
    // The raw files are read as text below; the manager must not hold them as INI files.
    o.game.mgr.FlushINIQueue();
    ASSERT_EQ(o.catalogue.Objects(kViewGlobal, true).Count(), 2u);
    EXPECT_EQ(o.catalogue.Objects(kViewComponents, true).Count(), 15u);
    EXPECT_EQ(o.catalogue.ComponentNames().size(), 15u);

    const struct {
        int view;
        const char* directory;
    } kinds[] = {{kViewUnits, "units"}, {kViewHeroes, "heroes"}, {kViewBuildings, "buildings"}};
    for (const auto& kind : kinds) {
        const QSObjectList& list = o.catalogue.Objects(kind.view, true);
        EXPECT_EQ(list.Count(), o.game.Objects(kind.directory).size()) << kind.directory;
        for (uint32_t i = 0; i < list.Count(); ++i) {
            const QSObjectData& r = *list[i];
            if (i > 0) {
                EXPECT_LE(ObjectCatalogue::CompareByProperName(list[i - 1], &r), 0);
            }
            const std::string& file = r.resourceName;
            const std::unique_ptr<QSINIFile> ini = o.game.Raw(file);
            auto value = [&](const char* section, const char* key, const char* def) {
                const char* v = ini->FindValue(section, key);
                return std::string(v ? o.game.loc.Translate(v) : def);
            };
            EXPECT_EQ(r.ProperName(), value("ObjectData", "ProperName", "").substr(0, 31)) << file;
            EXPECT_NE(r.ProperName().rfind("STRING_", 0), 0u) << file;
            for (const FieldDef& f : kFieldTable) {
                if (!(f.kinds & kKindUnits)) continue;
                const std::string raw = value(f.section, f.key, f.defaultValue);
                switch (f.rule) {
                    case LoadRule::Plain:
                        EXPECT_EQ(r.Value(f), raw) << file << " " << f.section << "/" << f.key;
                        break;
                    case LoadRule::UpkeepInteger:
                        EXPECT_TRUE(IsInteger(r.Value(f)))
                            << file << " " << f.key << " = " << r.Value(f);
                        break;
                    case LoadRule::ColorName:
                        EXPECT_THAT(kColorNames, Contains(r.Value(f))) << file;
                        break;
                    default:
                        EXPECT_TRUE(SameName(r.Value(f), raw) || (f.row == 94 && raw == "0"))
                            << file << " " << f.key;
                        EXPECT_NE(r.Value(f), "0") << file << " " << f.key;
                }
            }
            for (size_t g = 0; g < kSoundGroupCount; ++g) {
                const QSTextList slots = r.Sounds(static_cast<SoundGroup>(g));
                ASSERT_EQ(slots.size(), static_cast<size_t>(kSoundSlots[g])) << file;
                for (size_t s = 1; s < slots.size(); ++s) {
                    EXPECT_FALSE(slots[s - 1].empty() && !slots[s].empty())
                        << file << " group " << g;
                }
            }
        }
    }
    for (const QSObjectData* hero : o.catalogue.Objects(kViewHeroes, true))
        EXPECT_EQ(hero->Value(kRowType), "Hero");

    const QSObjectData& settings = *o.catalogue.Objects(kViewGlobal, true)[0];
    for (int row = 6; row <= 12; ++row) EXPECT_FALSE(settings.Value(row).empty()) << row;
    // The sample's darkest shade is empty: the min key stands in.
    EXPECT_EQ(settings.Value(13), o.game.Value("Data\\Colors.ini", "PlayerColors", "Color_9_min"));
    EXPECT_EQ(settings.Value(14),
              o.game.Value("Data\\Colors.ini", "PlayerColors", "Color_9_shade_32"));
}

TEST_P(SampleCatalogue, SideListsHoldTheInstallationsNames) {
    Opened o(dir.path());
    o.catalogue.LoadBonusDefinitions();
    o.catalogue.LoadSpellNames();
    o.catalogue.LoadTechnologyNames();
    o.catalogue.LoadSampleNames();
    EXPECT_FALSE(o.catalogue.BonusDefinitions().empty());
    EXPECT_FALSE(o.catalogue.SpellNames().empty());
    EXPECT_THAT(o.catalogue.TechnologyNames(), Contains("None"));
    EXPECT_GT(o.catalogue.TechnologyNames().size(), 1u);
    EXPECT_EQ(o.catalogue.SampleNames().size(), o.game.Find("Audio\\Game\\*.wav").size() +
                                                    o.game.Find("Audio\\Spells\\*.wav").size());
    for (const auto* list :
         {&o.catalogue.SpellNames(), &o.catalogue.TechnologyNames(), &o.catalogue.SampleNames()}) {
        EXPECT_TRUE(std::is_sorted(
            list->begin(), list->end(),
            [](const std::string& a, const std::string& b) { return CompareNames(a, b) < 0; }));
    }
    // Every sound a unit names is offered, whatever its letter case.
    o.catalogue.LoadAllObjects(false);
    for (const QSObjectData* unit : o.catalogue.Objects(kViewUnits, false)) {
        for (size_t g = 0; g < kSoundGroupCount; ++g) {
            for (std::string_view slot : unit->Sounds(static_cast<SoundGroup>(g))) {
                if (!slot.empty()) {
                    EXPECT_GE(o.catalogue.FindSampleName(std::string(slot)), 0) << slot;
                }
            }
        }
    }
}

TEST_P(SampleCatalogue, WorkingPassMarksWhatTheModSupplies) {
    Opened o(dir.path());
    o.catalogue.LoadAllObjects(true);
    // As the editor does between the passes: the same manager, re-opened with the package.
    o.game.loc.ReleaseLocalization();
    o.game.mgr.FlushINIQueue();
    o.game.mgr.UnInit();
    const std::string package = (dir / "IronTide.qsx").string();
    ASSERT_EQ(o.game.mgr.Init(dir.path().string().c_str(), package.c_str()), 1);
    o.game.loc.LoadLocalization(o.game.mgr);
    o.catalogue.LoadAllObjects(false);
    o.catalogue.SelectView(kViewUnits);

    int supplied = 0, withoutCounterpart = 0;
    for (const QSObjectData* r : o.catalogue.ViewList()) {
        EXPECT_EQ(r->changeState,
                  o.game.mgr.IsModResource(r->resourceName.c_str()) ? kSuppliedByMod : kUnchanged);
        supplied += r->changeState == kSuppliedByMod;
        withoutCounterpart += o.catalogue.FindRetailCounterpart(r->UniqueName().c_str()) == nullptr;
    }
    EXPECT_GE(supplied, 4);
    EXPECT_EQ(withoutCounterpart, 1);
    EXPECT_EQ(o.catalogue.ViewList().Count(), o.catalogue.ViewRetailList().Count() + 1);
    // Without a package only the expansion's files that hide base files count as supplied.
    if (std::string(GetParam()) == "dsc") {
        for (const QSObjectData* r : o.catalogue.ViewRetailList())
            EXPECT_EQ(r->changeState, kUnchanged);
    }
}

bool SameDisplay(const ShownObject& a, const ShownObject& b) {
    if (a.controls.size() != b.controls.size()) return false;
    for (size_t i = 0; i < a.controls.size(); ++i) {
        const ShownControl& x = a.controls[i];
        const ShownControl& y = b.controls[i];
        if (x.control != y.control || x.text != y.text || !(x.color == y.color) ||
            x.selected != y.selected)
            return false;
    }
    return a.spellPanelShown == b.spellPanelShown;
}

// Over the sample's objects with its mod: every field edited shows red with the typed text,
// and undoing every edit gives back exactly the display and the row colour of before.
TEST_P(SampleCatalogue, EditingAndUndoingEveryFieldRestoresTheDisplay) {
    Opened o(dir.path());
    o.catalogue.LoadAllObjects(true);
    o.game.loc.ReleaseLocalization();
    o.game.mgr.FlushINIQueue();
    o.game.mgr.UnInit();
    const std::string package = (dir / "IronTide.qsx").string();
    ASSERT_EQ(o.game.mgr.Init(dir.path().string().c_str(), package.c_str()), 1);
    o.game.loc.LoadLocalization(o.game.mgr);
    o.catalogue.LoadAllObjects(false);
    o.catalogue.LoadSpellNames();
    o.catalogue.LoadTechnologyNames();
    o.catalogue.LoadSampleNames();
    const ListItemSet lists = ListItemSet::FromCatalogue(o.catalogue);
    ChangeList session([&](const std::string& resource) {
        return o.game.mgr.IsModResource(resource.c_str()) != 0;
    });

    int shownObjects = 0, modObjects = 0, listedSounds = 0, modSounds = 0;
    for (int view : {kViewUnits, kViewHeroes, kViewBuildings, kViewComponents}) {
        o.catalogue.SelectView(view);
        const QSObjectList& list = o.catalogue.ViewList();
        for (uint32_t i = 0; i < list.Count(); ++i) {
            const QSObjectData* r = list[i];
            SCOPED_TRACE(r->UniqueName());
            ++shownObjects;
            modObjects += r->changeState == kSuppliedByMod;
            const uint8_t state = r->changeState;
            const int index = static_cast<int>(i);
            const ShownObject before = ShowObject(o.catalogue, session, index, lists);
            ASSERT_FALSE(before.controls.empty());

            // Every sound slot that names a game sample selects it; a sample packed into the
            // mod is not one of the game's and keeps its text unselected.
            for (const SoundSlotDef& slot : kSoundSlotTable) {
                const ShownControl* c = before.Find(slot.control);
                ASSERT_NE(c, nullptr);
                if (c->text.empty()) continue;
                if (c->text.rfind("Mod\\", 0) == 0) {
                    EXPECT_EQ(c->selected, -1);
                    ++modSounds;
                    continue;
                }
                ASSERT_GE(c->selected, 0) << c->text;
                EXPECT_EQ(c->text, o.catalogue.SampleNames()[static_cast<size_t>(c->selected)]);
                ++listedSounds;
            }

            // Every field of the view edited through its control, as the window does.
            FieldEditor editor(o.catalogue, session, lists);
            std::vector<const char*> edited;
            for (const FieldDef& f : kFieldTable) {
                const bool component = f.rule == LoadRule::ComponentSection;
                if (component != (view == kViewComponents)) continue;
                const FieldUpdate u = editor.EditField(index, f.control, "9z9");
                ASSERT_EQ(u.controls.size(), 1u) << f.control;
                EXPECT_EQ(u.controls[0].color, kColorSession) << f.control;
                edited.push_back(f.control);
            }
            EXPECT_EQ(r->changeState, kChangedInSession);
            const ShownObject changed = ShowObject(o.catalogue, session, index, lists);
            for (const char* control : edited) {
                const ShownControl* c = changed.Find(control);
                ASSERT_NE(c, nullptr) << control;
                EXPECT_EQ(c->color, kColorSession) << control;
                if (c->selected < 0) {
                    EXPECT_EQ(c->text, "9z9") << control;
                }
            }

            for (const char* control : edited) editor.UndoField(index, control);
            EXPECT_EQ(session.Count(), 0u);
            EXPECT_EQ(r->changeState, state);
            EXPECT_TRUE(SameDisplay(ShowObject(o.catalogue, session, index, lists), before));
        }
    }
    EXPECT_GT(shownObjects, 10);
    EXPECT_GE(modObjects, 4);
    EXPECT_GT(listedSounds, 0);
    EXPECT_GT(modSounds, 0);
}

INSTANTIATE_TEST_SUITE_P(Editions, SampleCatalogue, ::testing::Values("dsc", "dat"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
