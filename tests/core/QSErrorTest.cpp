#include "core/QSError.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "support/TempDir.h"

using ::testing::ExitedWithCode;
using ::testing::HasSubstr;

namespace {

class LogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(OpenLog(logPath())); }
    void TearDown() override {
        DisableLog();
        SetFatalPresenter({});
        SetResourcerSink({});
    }
    std::filesystem::path logPath() const { return dir / "Brix_log.txt"; }
    std::string log() const { return ReadFile(logPath()); }

    TempDir dir;
};

// Exit code -1 as the shell sees it.
constexpr int kFatalExit = 255;

}  // namespace

TEST_F(LogTest, EachLevelWritesItsTagOrNothing) {
    struct Case {
        int level;
        const char* expected;  // null: nothing is written
    } cases[] = {
        {0, nullptr},
        {-3, nullptr},
        {1, "unit.cpp(12): (INFO) : value 7\n"},
        {2, "unit.cpp(12): (DBUG) : value 7\n"},
        {3, "unit.cpp(12): (NOTE) : value 7\n"},
        {5, "unit.cpp(12): (FATL) : value 7\n"},
        {6, "unit.cpp(12): (LOGO) : value 7\n"},
        {7, "unit.cpp(12): (INFO) : value 7\n"},
        {8, "unit.cpp(12): (INFO) : value 7\n"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(OpenLog(logPath()));
        Log(c.level, "unit.cpp", 12, "value %d", 7);
        // Each entry is flushed before the call returns.
        EXPECT_EQ(log(), c.expected ? c.expected : "") << "level " << c.level;
    }
}

TEST_F(LogTest, SourceIsShownByItsFileName) {
    Log(1, "C:\\work\\src\\core\\QSINIFile.cpp", 3, "a");
    Log(1, "/home/me/brix/src/core/QSINIFile.cpp", 4, "b");
    Log(1, "plain.cpp", 5, "c");
    EXPECT_EQ(log(),
              "QSINIFile.cpp(3): (INFO) : a\n"
              "QSINIFile.cpp(4): (INFO) : b\n"
              "plain.cpp(5): (INFO) : c\n");
}

TEST_F(LogTest, AbsentOrEmptyFormatWritesNothing) {
    const char* empty = "";
    Log(1, "x.cpp", 1, empty);
    Log(1, "x.cpp", 1, nullptr);
    ResourcerLog(1, "x.cpp", 1, empty);
    EXPECT_EQ(log(), "");
}

TEST_F(LogTest, LongMessagesAreCut) {
    std::string longText(600, 'x');
    Log(1, "x.cpp", 1, "%s", longText.c_str());
    EXPECT_EQ(log(), "x.cpp(1): (INFO) : " + std::string(255, 'x') + "\n");
}

TEST_F(LogTest, ResourcerEntryReachesSinkAndLog) {
    std::vector<std::string> lines;
    SetResourcerSink([&](const std::string& line) { lines.push_back(line); });
    ResourcerLog(9, "Resourcer.cpp", 40, "Adding '%s' length: %d", "Data\\a.ini", 12);
    EXPECT_THAT(lines, ::testing::ElementsAre("Adding 'Data\\a.ini' length: 12"));
    EXPECT_EQ(log(), "Resourcer.cpp(40): (RSCR) : Adding 'Data\\a.ini' length: 12\n");
}

TEST_F(LogTest, HandleErrorWithoutTagWritesTheMessageAsItIs) {
    _HandleError(nullptr, "x.cpp", 1, 0, "raw text");
    _HandleError("INFO", "x.cpp", 1, 0, nullptr);
    EXPECT_EQ(log(), "raw text");
}

TEST_F(LogTest, CloseWritesTheDestructorLineAndLaterWritesAreOutOfOrder) {
    CloseLog();
    Log(1, "x.cpp", 2, "late");
    EXPECT_EQ(log(), "DESTRUCTOR: closing logFile " + logPath().string() +
                         "\nOUTOFORDER: x.cpp(2): (INFO) : late\n\n");
}

TEST(LogChoice, NothingIsWrittenBeforeALogIsChosenOrWhenItCannotBeCreated) {
    TempDir dir;
    DisableLog();
    Log(1, "x.cpp", 1, "dropped");
    EXPECT_FALSE(OpenLog(dir / "missing-dir" / "Brix_log.txt"));
    Log(1, "x.cpp", 1, "dropped");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    DisableLog();
}

TEST_F(LogTest, FatalLevelEndsTheProgramAfterPresentingTheLine) {
    EXPECT_EXIT(
        {
            SetFatalPresenter([](const std::string& m) { std::fprintf(stderr, "BOX[%s]", m.c_str()); });
            Log(4, "dir\\unit.cpp", 9, "broken %d", 3);
        },
        ExitedWithCode(kFatalExit), "BOX\\[unit.cpp\\(9\\): \\(FATL\\) : broken 3\n\\]");
    std::string text = log();
    EXPECT_EQ(text.rfind("QSFATAL broken %dunit.cpp(9): (FATL) : broken 3\n"
                         "OUTOFORDER: _HandleError calling CleanUp()\n\n",
                         0),
              0u)
        << text;
    EXPECT_THAT(text, HasSubstr("(INFO) : EXIT: entering Cleanup for the first time\n\n"));
    EXPECT_THAT(text, HasSubstr("(DBUG) : error endthread\n\n"));
}

TEST_F(LogTest, UnknownLevelIsFatal) {
    EXPECT_EXIT(Log(42, "x.cpp", 1, "odd"), ExitedWithCode(kFatalExit), "");
    EXPECT_THAT(log(), HasSubstr("QSFATAL oddx.cpp(1): (FATL) : odd\n"));
}

TEST_F(LogTest, ErrorWithEmptyFormatReportsGenericError) {
    const char* empty = "";
    EXPECT_EXIT(Error("x.cpp", 5, empty), ExitedWithCode(kFatalExit), "Generic Error");
    EXPECT_EQ(log().rfind("QSError \nx.cpp(5): (FATL) : Generic Error\n", 0), 0u) << log();
}

TEST_F(LogTest, ErrorWritesTheRawFormatThenTheMessage) {
    EXPECT_EXIT(Error("x.cpp", 5, "Could not open %s", "a.qsx"), ExitedWithCode(kFatalExit),
                "Could not open a.qsx");
    EXPECT_EQ(log().rfind("QSError Could not open %s\nx.cpp(5): (FATL) : Could not open a.qsx\n", 0),
              0u)
        << log();
}

TEST_F(LogTest, CleanUpRunsShutdownHooksByStage) {
    EXPECT_EXIT(
        {
            RegisterShutdownHook(ShutdownStage::ResourceManager, [] { std::fputs("uninit ", stderr); });
            int dropped = RegisterShutdownHook(ShutdownStage::Localization, [] { std::fputs("never ", stderr); });
            RegisterShutdownHook(ShutdownStage::Localization, [] { std::fputs("localization ", stderr); });
            RegisterShutdownHook(ShutdownStage::ResourceIniQueue, [] { std::fputs("flush ", stderr); });
            UnregisterShutdownHook(dropped);
            CleanUp();
        },
        ExitedWithCode(kFatalExit), "^localization flush uninit $");
}

TEST_F(LogTest, FatalErrorDuringCleanUpDoesNotCleanUpTwice) {
    EXPECT_EXIT(
        {
            RegisterShutdownHook(ShutdownStage::Localization, [] { Error("loc.cpp", 1, "again"); });
            RegisterShutdownHook(ShutdownStage::ResourceManager, [] { std::fputs("second stage ran", stderr); });
            Error("x.cpp", 1, "first");
        },
        ExitedWithCode(kFatalExit), "again");
    std::string text = log();
    EXPECT_THAT(text, HasSubstr("EXIT: reentering Cleanup"));
    EXPECT_EQ(text.find("entering Cleanup for the first time"),
              text.rfind("entering Cleanup for the first time"));
}

TEST(QSMutexTest, RecordsItsOwner) {
    QSMutex mutex;
    EXPECT_EQ(mutex.Owner(), std::thread::id{});
    mutex.Lock();
    EXPECT_TRUE(mutex.HeldByCurrentThread());
    std::thread other([&] { EXPECT_FALSE(mutex.HeldByCurrentThread()); });
    other.join();
    mutex.Unlock();
    EXPECT_EQ(mutex.Owner(), std::thread::id{});
}
