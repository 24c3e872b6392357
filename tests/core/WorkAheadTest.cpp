#include "core/WorkAhead.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Keeps a thread busy for about the given time without giving up its core.
void Spin(std::chrono::microseconds how_long) {
    const auto until = Clock::now() + how_long;
    while (Clock::now() < until) {
    }
}

bool TwoCores() { return std::thread::hardware_concurrency() > 1; }

// What each job of a run did: how often it ran, on which thread, and what it wrote.
struct Record {
    explicit Record(size_t jobs)
        : runs(jobs), onCaller(jobs), thread(jobs), result(jobs, 0) {}
    std::vector<std::atomic<int>> runs;
    std::vector<std::atomic<bool>> onCaller;
    std::vector<std::thread::id> thread;  // written by the job, read after its Take
    std::vector<uint64_t> result;         // the same

    WorkAhead::Work Work(std::chrono::microseconds cost) {
        return [this, cost](size_t job, bool caller) {
            runs[job].fetch_add(1);
            onCaller[job] = caller;
            thread[job] = std::this_thread::get_id();
            Spin(cost);
            result[job] = job * 2654435761u + 17;  // written last, after the work
        };
    }
};

}  // namespace

// Every job is done once, and what it wrote is there when its Take returns, whichever thread
// did it; short lists never start a thread.
TEST(WorkAhead, EachJobIsDoneOnceAndReadyWhenTaken) {
    struct Case {
        size_t jobs;
        int costMicros;
    } cases[] = {{0, 0}, {1, 50}, {2, 50}, {3, 50}, {4, 50}, {5, 0}, {64, 0}, {64, 100}, {3000, 1}};
    for (const Case& c : cases) {
        Record r(c.jobs);
        {
            WorkAhead ahead(c.jobs, r.Work(std::chrono::microseconds(c.costMicros)));
            EXPECT_EQ(ahead.Threaded(), c.jobs >= 4 && TwoCores()) << c.jobs << " jobs";
            for (size_t j = 0; j < c.jobs; ++j) {
                ahead.Take(j);
                ASSERT_EQ(r.runs[j].load(), 1) << "job " << j << " of " << c.jobs;
                ASSERT_EQ(r.result[j], j * 2654435761u + 17) << "job " << j << " of " << c.jobs;
            }
        }
        for (size_t j = 0; j < c.jobs; ++j) EXPECT_EQ(r.runs[j].load(), 1) << j;
        if (c.jobs < 4) {
            for (size_t j = 0; j < c.jobs; ++j) {
                EXPECT_TRUE(r.onCaller[j]) << "job " << j << " of " << c.jobs;
                EXPECT_EQ(r.thread[j], std::this_thread::get_id());
            }
        }
    }
}

// With jobs slow enough, both threads do some, and onCaller tells which thread ran each.
TEST(WorkAhead, BothThreadsDoJobsAndOnCallerTellsWhich) {
    if (!TwoCores()) GTEST_SKIP() << "one core: no second thread";
    constexpr size_t kJobs = 100;
    Record r(kJobs);
    {
        WorkAhead ahead(kJobs, r.Work(std::chrono::microseconds(200)));
        ASSERT_TRUE(ahead.Threaded());
        for (size_t j = 0; j < kJobs; ++j) ahead.Take(j);
    }
    const std::thread::id caller = std::this_thread::get_id();
    size_t onCaller = 0;
    for (size_t j = 0; j < kJobs; ++j) {
        EXPECT_EQ(r.runs[j].load(), 1) << "job " << j;
        EXPECT_EQ(r.onCaller[j].load(), r.thread[j] == caller) << "job " << j;
        onCaller += r.onCaller[j] ? 1 : 0;
    }
    EXPECT_GT(onCaller, 0u) << "the caller did no job";
    EXPECT_LT(onCaller, kJobs) << "the other thread did no job";
}

// While the other thread is on the job being taken, the caller does later jobs rather than
// wait: the other thread's first job does not end until the caller has done a job after it.
TEST(WorkAhead, TheCallerDoesLaterJobsWhileTheOtherThreadIsOnTheTakenOne) {
    if (!TwoCores()) GTEST_SKIP() << "one core: no second thread";
    constexpr size_t kJobs = 40;
    std::atomic<long> workersFirst{-1};  // the first job the other thread claimed
    std::atomic<long> callerAfterIt{-1};  // a job after it done by the caller
    std::atomic<bool> gaveUp{false};
    std::vector<std::atomic<int>> runs(kJobs);
    {
        WorkAhead ahead(kJobs, [&](size_t job, bool onCaller) {
            runs[job].fetch_add(1);
            const long j = static_cast<long>(job);
            if (onCaller) {
                const long first = workersFirst.load();
                if (first >= 0 && j > first && callerAfterIt.load() < 0) callerAfterIt = j;
                Spin(std::chrono::microseconds(300));  // long enough for the thread to start
                return;
            }
            long none = -1;
            if (!workersFirst.compare_exchange_strong(none, j)) return;
            // Holds on until the caller has done a later job, or gives up after a while.
            const auto until = Clock::now() + std::chrono::seconds(3);
            while (callerAfterIt.load() < 0) {
                if (Clock::now() > until) {
                    gaveUp = true;
                    return;
                }
                std::this_thread::yield();
            }
        });
        for (size_t j = 0; j < kJobs; ++j) ahead.Take(j);
    }
    for (size_t j = 0; j < kJobs; ++j) EXPECT_EQ(runs[j].load(), 1) << "job " << j;
    ASSERT_GE(workersFirst.load(), 0) << "the other thread did no job";
    EXPECT_FALSE(gaveUp) << "the caller waited for job " << workersFirst.load();
    EXPECT_GT(callerAfterIt.load(), workersFirst.load());
}

// Dropped after a few jobs were taken: the other thread stops after its current job, no
// job runs twice, and none runs once the WorkAhead is gone.
TEST(WorkAhead, DroppingItEarlyStopsTheOtherThreadAfterItsJob) {
    constexpr size_t kJobs = 1000;
    constexpr size_t kTaken = 5;
    Record r(kJobs);
    Clock::duration dropping{};
    {
        auto ahead = std::make_unique<WorkAhead>(
            kJobs, r.Work(std::chrono::microseconds(2000)));
        for (size_t j = 0; j < kTaken; ++j) ahead->Take(j);
        const auto start = Clock::now();
        ahead.reset();
        dropping = Clock::now() - start;
    }
    // What is left would take two seconds; one job takes two milliseconds.
    EXPECT_LT(dropping, std::chrono::milliseconds(500));
    std::vector<int> after(kJobs);
    for (size_t j = 0; j < kJobs; ++j) after[j] = r.runs[j].load();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    size_t done = 0;
    for (size_t j = 0; j < kJobs; ++j) {
        EXPECT_EQ(r.runs[j].load(), after[j]) << "job " << j << " ran after the end";
        EXPECT_LE(after[j], 1) << "job " << j;
        if (j < kTaken) {
            EXPECT_EQ(after[j], 1) << "taken job " << j;
        }
        done += static_cast<size_t>(after[j]);
    }
    EXPECT_LT(done, kJobs);
}

// Taking a job past the end, or one already taken, is a fatal error, whichever thread did it.
TEST(WorkAheadDeathTest, TakingPastTheEndOrTwiceIsFatal) {
    // The second thread may be running when the child ends.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto work = [](size_t, bool) {};
    EXPECT_EXIT(WorkAhead(0, work).Take(0), ::testing::ExitedWithCode(255),
                "WorkAhead: job 0 of 0 taken");
    EXPECT_EXIT(
        {
            WorkAhead ahead(3, work);
            for (size_t j = 0; j < 4; ++j) ahead.Take(j);
        },
        ::testing::ExitedWithCode(255), "WorkAhead: job 3 of 3 taken");
    EXPECT_EXIT(
        {
            WorkAhead ahead(40, work);
            for (size_t j = 0; j < 40; ++j) ahead.Take(j);
            ahead.Take(40);
        },
        ::testing::ExitedWithCode(255), "WorkAhead: job 40 of 40 taken");
    EXPECT_EXIT(
        {
            WorkAhead ahead(2, work);
            ahead.Take(0);
            ahead.Take(1);
            ahead.Take(1);
        },
        ::testing::ExitedWithCode(255), "WorkAhead: job 1 taken twice");
}

// A job the other thread did is no less taken than one the caller did.
TEST(WorkAheadDeathTest, TakingAJobTheOtherThreadDidTwiceIsFatal) {
    if (!TwoCores()) GTEST_SKIP() << "one core: no second thread";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            constexpr size_t kJobs = 64;
            Record r(kJobs);
            WorkAhead ahead(kJobs, r.Work(std::chrono::microseconds(200)));
            long byWorker = -1;
            for (size_t j = 0; j < kJobs; ++j) {
                ahead.Take(j);
                if (!r.onCaller[j]) byWorker = static_cast<long>(j);
            }
            if (byWorker < 0) {
                std::fputs("the other thread did no job\n", stderr);
                std::exit(1);
            }
            ahead.Take(static_cast<size_t>(byWorker));
        },
        ::testing::ExitedWithCode(255), "WorkAhead: job [0-9]+ taken twice");
}
