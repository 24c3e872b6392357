#include "resources/AsyncReader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>

#include "core/QSError.h"
#include "resources/QSStreamFile.h"
#include "support/Archives.h"

using ::testing::ElementsAre;

namespace {

// Records what the reader served, in order, and lets a test wait for a count.
struct Served {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> names;
    std::vector<std::pair<uint32_t, std::string>> contents;  // delivered, bytes incl. spare
    std::function<void(const std::string&)> onServe;

    static void Complete(void* context, ResourceContent& buffer, uint32_t delivered, void* resource) {
        auto* self = static_cast<Served*>(context);
        std::string name = static_cast<const char*>(resource);
        if (self->onServe) self->onServe(name);
        std::lock_guard lock(self->mutex);
        self->names.push_back(name);
        self->contents.push_back({delivered, std::string(buffer.data.get(), delivered + 1)});
        self->changed.notify_all();
    }
    void WaitFor(size_t count) {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(10), [&] { return names.size() >= count; }));
    }
};

void Add(AsyncReader& reader, Served& served, const char* name, int8_t priority) {
    reader.AddRequest(name, priority, &Served::Complete, &served, const_cast<char*>(name), nullptr, nullptr);
}

}  // namespace

TEST(AsyncReader, ServesHigherPriorityFirstThenOlderFirst) {
    AsyncReader reader;
    Served served;
    Add(reader, served, "first", 1);
    Add(reader, served, "second", 1);
    Add(reader, served, "urgent", 2);
    Add(reader, served, "raised", 1);
    Add(reader, served, "last", 1);
    reader.SetPriority("RAISED", 2);  // case-insensitive; goes after the older "urgent"
    reader.SetPriority("not queued", 5);
    reader.Init();
    served.WaitFor(5);
    reader.UnInit();
    EXPECT_THAT(served.names, ElementsAre("urgent", "raised", "first", "second", "last"));
}

TEST(AsyncReader, QueueGrowsByFiftyWithoutLosingRequests) {
    AsyncReader reader;
    Served served;
    std::vector<std::string> names;
    for (int i = 0; i < 51; ++i) names.push_back("r" + std::to_string(i));
    for (const std::string& n : names) Add(reader, served, n.c_str(), 1);
    EXPECT_EQ(reader.QueueCapacity(), 100u);
    EXPECT_EQ(reader.QueueCount(), 51u);
    reader.Init();
    served.WaitFor(51);
    reader.UnInit();
    EXPECT_EQ(served.names, names);
}

TEST(AsyncReader, ReadsFilesByChunksIntoLenPlusOneBytes) {
    TempDir dir;
    WriteArchive(dir / "a.qsx", {{"empty", "", ""}, {"text", "hello", ""}});
    QSStreamFile archive((dir / "a.qsx").string());
    AsyncReader reader;
    Served served;
    reader.Init();
    for (const FileNode& node : archive.Nodes()) {
        reader.AddRequest(node.name, 1, &Served::Complete, &served, const_cast<char*>(node.name), &archive, &node);
    }
    served.WaitFor(2);
    reader.UnInit();
    for (size_t i = 0; i < 2; ++i) {
        if (served.names[i] == "empty") {
            EXPECT_EQ(served.contents[i], std::make_pair(0u, std::string(1, '\0')));
        } else {
            EXPECT_EQ(served.contents[i], std::make_pair(5u, std::string("hello\0", 6)));
        }
    }
}

TEST(AsyncReader, StopsQuicklyWhenIdleAndLogsTheFlag) {
    TempDir dir;
    ASSERT_TRUE(OpenLog(dir / "Brix_log.txt"));
    {
        AsyncReader reader;
        reader.Init();
        auto start = std::chrono::steady_clock::now();
        reader.UnInit();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    }
    DisableLog();
    std::string log = ReadFile(dir / "Brix_log.txt");
    EXPECT_THAT(log, ::testing::HasSubstr("(INFO) : THREAD: spawned ASYNC "));
    EXPECT_THAT(log, ::testing::HasSubstr("(INFO) : AsyncReader::Init() finished starting up (stop 0)\n"));
    EXPECT_THAT(log, ::testing::HasSubstr("(INFO) : EXIT: Async thread exiting\n"));
    EXPECT_THAT(log, ::testing::ContainsRegex("EXIT: Uninitializing AsyncReader \\(stop 0\\) timeout [0-9]+\n$"));
}

TEST(AsyncReader, RequestsStillQueuedAtStopAreNeverServed) {
    AsyncReader reader;
    Served served;
    std::promise<void> started, go;
    std::shared_future<void> goSignal = go.get_future().share();
    served.onServe = [&](const std::string& name) {
        if (name == "in hand") {
            started.set_value();
            goSignal.wait();
        }
    };
    Add(reader, served, "in hand", 3);
    Add(reader, served, "queued 1", 1);
    Add(reader, served, "queued 2", 1);
    reader.Init();
    started.get_future().wait();
    std::thread stopper([&] { reader.UnInit(); });
    while (!reader.Stopping()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    go.set_value();
    stopper.join();
    EXPECT_THAT(served.names, ElementsAre("in hand"));
}
