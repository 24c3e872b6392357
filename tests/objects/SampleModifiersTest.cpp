// The modifier panels and the components check list over whole sample installations: every
// unit and hero shows its lists, and every tick, untick and toggle taken back leaves the
// object as it was loaded, with no change left in the session.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/HashName.h"
#include "objects/BonusModifiers.h"
#include "objects/BuildHierarchy.h"
#include "objects/ChangeList.h"
#include "objects/ObjectCatalogue.h"
#include "objects/ObjectDisplay.h"
#include "tools/sample-game/SampleGame.h"

namespace {

class SampleModifiers : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        const ToolRun run =
            RunSampleGame({"--edition", GetParam(), "--out", dir.path().string(), "--mods"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        game = std::make_unique<OpenedInstallation>(dir.path());
        game->mgr.SetTranslator(&game->loc);
        catalogue = std::make_unique<ObjectCatalogue>(game->mgr);
        catalogue->LoadAllObjects(true);
        game->loc.ReleaseLocalization();
        game->mgr.FlushINIQueue();
        game->mgr.UnInit();
        const std::string package = (dir / "IronTide.qsx").string();
        ASSERT_EQ(game->mgr.Init(dir.path().string().c_str(), package.c_str()), 1);
        game->loc.LoadLocalization(game->mgr);
        catalogue->LoadBonusDefinitions();
        catalogue->LoadAllObjects(false);
    }
    void TearDown() override { catalogue.reset(); }

    static bool SameLists(const QSObjectData& r) {
        for (int list = 0; list < kBonusPanelCount; ++list) {
            const auto& current = r.BonusList(static_cast<size_t>(list));
            const auto& loaded = r.BonusList(static_cast<size_t>(list + kBonusPanelCount));
            if (current.size() != loaded.size()) return false;
            for (size_t i = 0; i < current.size(); ++i) {
                if (current[i].key != loaded[i].key || current[i].value != loaded[i].value)
                    return false;
            }
        }
        return true;
    }

    TempDir dir;
    std::unique_ptr<OpenedInstallation> game;
    std::unique_ptr<ObjectCatalogue> catalogue;
};

TEST_P(SampleModifiers, EveryToggleTakenBackLeavesTheObjectAsLoaded) {
    const std::vector<QSBRIXBonusData>& definitions = catalogue->BonusDefinitions();
    ASSERT_FALSE(definitions.empty());
    ChangeList session([&](const std::string& resource) {
        return game->mgr.IsModResource(resource.c_str()) != 0;
    });
    BonusModifiers bonuses(definitions, session);
    const std::vector<std::string>& components = catalogue->ComponentNames();
    ASSERT_FALSE(components.empty());

    int longLists = 0, refusedTicks = 0, recorded = 0;
    for (int view : {kViewUnits, kViewHeroes}) {
        catalogue->SelectView(view);
        const QSObjectList& list = catalogue->ViewList();
        for (uint32_t i = 0; i < list.Count(); ++i) {
            QSObjectData& r = *list[i];
            SCOPED_TRACE(r.UniqueName());
            const QSObjectData* counterpart =
                catalogue->FindRetailCounterpart(r.UniqueName().c_str());
            const uint8_t state = r.changeState;
            for (int b = 0; b < kBonusPanelCount; ++b) {
                const auto& entries = r.BonusList(static_cast<size_t>(b));
                const BonusPanel panel = ShowBonusPanel(definitions, session, r, counterpart, b);
                ASSERT_EQ(panel.rows.size(), std::min<size_t>(entries.size(), kBonusRows));
                longLists += entries.size() > kBonusRows;
                for (size_t item = 0; item < definitions.size(); ++item) {
                    const int it = static_cast<int>(item);
                    const std::string& name = definitions[item].name;
                    if (!BonusModifiers::GetBonusValue(r, b, name)) {
                        const BonusUpdate tick = bonuses.Toggle(r, counterpart, b, it, true);
                        if (!tick.checked) {
                            ++refusedTicks;
                            EXPECT_GE(entries.size(), kBonusRows);
                            continue;
                        }
                        recorded += session.Count() > 0;
                        bonuses.Toggle(r, counterpart, b, it, false);
                    } else if (panel.checked[item] && entries.size() <= kBonusRows) {
                        bonuses.Toggle(r, counterpart, b, it, false);
                        recorded += session.Count() > 0;
                        EXPECT_EQ(BonusItemColor(definitions, r, counterpart, b, it, false),
                                  kColorSession);
                        ASSERT_TRUE(bonuses.Toggle(r, counterpart, b, it, true).checked);
                        // Back in the list with its default: Ctrl+Z in its row restores it.
                        int row = 0;
                        while (!SameName(entries[static_cast<size_t>(row)].key, name)) ++row;
                        bonuses.EditValue(r, counterpart, b, row + 1, "", true);
                    }
                }
            }
            for (size_t c = 0; c < components.size(); ++c) {
                const int item = static_cast<int>(c);
                const bool checked = ComponentChecks(r, session, components)[c];
                ToggleComponent(r, counterpart, session, components, item, !checked);
                EXPECT_EQ(ComponentChecks(r, session, components)[c], !checked);
                // Red, unless the mod differs from the game there and the toggle returns to it.
                const bool modDiffers = counterpart && HasComponent(*counterpart, components[c]) !=
                                                           HasComponent(r, components[c]);
                EXPECT_EQ(ComponentItemColor(r, counterpart, components[c], !checked, false),
                          modDiffers ? kColorUnchanged : kColorSession);
                ToggleComponent(r, counterpart, session, components, item, checked);
            }
            EXPECT_EQ(session.Count(), 0u);
            EXPECT_TRUE(SameLists(r));
            EXPECT_EQ(r.changeState, state);
        }
    }
    EXPECT_GE(longLists, 1);  // the seven-bonus unit
    EXPECT_GT(refusedTicks, 0);
    EXPECT_GT(recorded, 100);
}

TEST_P(SampleModifiers, AComponentListStopsAtItsGap) {
    catalogue->SelectView(kViewUnits);
    const int index = catalogue->FindObjectIndex("Elith_Blademaster");
    ASSERT_GE(index, 0);
    const QSObjectData& r = *catalogue->ViewList()[static_cast<uint32_t>(index)];
    ASSERT_EQ(r.Components().size(), 1u);
    const std::vector<bool> checks = ComponentChecks(r, ChangeList{}, catalogue->ComponentNames());
    EXPECT_EQ(std::count(checks.begin(), checks.end(), true), 1);
}

INSTANTIATE_TEST_SUITE_P(Editions, SampleModifiers, ::testing::Values("dsc", "dat"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
