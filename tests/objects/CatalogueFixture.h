// A small game installation written into a temporary directory, with an optional mod
// package, opened through a resource manager and loaded into a catalogue.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/QSError.h"
#include "objects/ObjectCatalogue.h"
#include "resources/QSResourceMgr.h"
#include "support/Archives.h"
#include "support/TempDir.h"

class CatalogueTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(OpenLog(dir / "Brix_log.txt")); }
    void TearDown() override {
        catalogue.reset();
        mgr.FlushINIQueue();
        mgr.UnInit();
        DisableLog();
    }

    // Writes the game archive (and the package when modFiles is not empty) and mounts them.
    void Mount(const std::vector<TestFile>& gameFiles, const std::vector<TestFile>& modFiles = {}) {
        mgr.FlushINIQueue();
        mgr.UnInit();
        std::filesystem::create_directories(dir / "game");
        WriteArchive(dir / "game" / "Dravik.qsw", gameFiles, "DV", "1.0.3");
        std::string package;
        if (!modFiles.empty()) {
            package = (dir / "Test.qsx").string();
            WriteArchive(package, modFiles, "TM", "1.0.0.1");
        }
        ASSERT_EQ(
            mgr.Init((dir / "game").string().c_str(), package.empty() ? nullptr : package.c_str()),
            1);
        if (!catalogue) catalogue = std::make_unique<ObjectCatalogue>(mgr);
    }

    // Re-mounts only the game, as the editor's retail pass sees it.
    void MountGameOnly() {
        mgr.FlushINIQueue();
        mgr.UnInit();
        ASSERT_EQ(mgr.Init((dir / "game").string().c_str(), nullptr), 1);
    }
    void MountWithMod() {
        mgr.FlushINIQueue();
        mgr.UnInit();
        ASSERT_EQ(mgr.Init((dir / "game").string().c_str(), (dir / "Test.qsx").string().c_str()),
                  1);
    }

    std::string log() {
        DisableLog();
        std::string text = ReadFile(dir / "Brix_log.txt");
        EXPECT_TRUE(OpenLog(dir / "Brix_log2.txt"));
        return text;
    }

    static TestFile Unit(const std::string& name, const std::string& ini) {
        return {"Data\\ObjectData\\units\\" + name, ini, ""};
    }

    // Unique names of a list, in list order.
    static std::vector<std::string> Names(const QSObjectList& list) {
        std::vector<std::string> names;
        for (const QSObjectData* r : list) names.push_back(r->UniqueName());
        return names;
    }

    const QSObjectData* Loaded(int view, bool retail, const std::string& uniqueName) {
        for (const QSObjectData* r : catalogue->Objects(view, retail)) {
            if (r->UniqueName() == uniqueName) return r;
        }
        ADD_FAILURE() << "no object " << uniqueName;
        static const QSObjectData none;
        return &none;
    }

    TempDir dir;
    QSResourceMgr mgr;
    std::unique_ptr<ObjectCatalogue> catalogue;
};
