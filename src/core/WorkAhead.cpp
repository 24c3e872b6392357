#include "core/WorkAhead.h"

#include <algorithm>

#if defined(__linux__)
#include <pthread.h>
#endif

#include "core/QSError.h"

namespace {

// Fewer jobs than this are not worth a thread.
constexpr size_t kThreadFrom = 4;

}  // namespace

WorkAhead::WorkAhead(size_t jobs, Work work)
    : count_(jobs), work_(std::move(work)), states_(new std::atomic<uint8_t>[jobs]) {
    for (size_t j = 0; j < count_; ++j) states_[j].store(kFree, std::memory_order_relaxed);
    if (count_ >= kThreadFrom && std::thread::hardware_concurrency() > 1) {
        threaded_ = true;
        shutdownHook_ = RegisterShutdownHook(ShutdownStage::Workers, [this] { StopWorker(); });
        std::lock_guard lock(workerMutex_);
        worker_ = std::thread([this] { Run(); });
    }
}

WorkAhead::~WorkAhead() {
    if (!threaded_) return;
    UnregisterShutdownHook(shutdownHook_);
    StopWorker();
}

void WorkAhead::StopWorker() {
    std::lock_guard lock(workerMutex_);
    stop_.store(true, std::memory_order_relaxed);
    // A fatal error in a job ends the program from the other thread itself: it stops there.
    if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) worker_.join();
}

void WorkAhead::Run() {
#if defined(__linux__)
    pthread_setname_np(pthread_self(), "brix-ahead");  // the name top and perf show
#endif
    for (size_t j = 0; j < count_ && !stop_.load(std::memory_order_relaxed); ++j) {
        uint8_t expected = kFree;
        if (!states_[j].compare_exchange_strong(expected, kOnWorker, std::memory_order_acquire))
            continue;  // the caller got there first
        work_(j, false);
        states_[j].store(kDone, std::memory_order_release);
        states_[j].notify_one();
    }
}

void WorkAhead::Take(size_t job) {
    if (job >= count_) QSERROR("WorkAhead: job %zu of %zu taken", job, count_);
    for (;;) {
        uint8_t state = kFree;
        if (states_[job].compare_exchange_strong(state, kOnCaller, std::memory_order_acquire)) {
            work_(job, true);
            states_[job].store(kTaken, std::memory_order_relaxed);
            return;
        }
        if (state == kDone) {
            states_[job].store(kTaken, std::memory_order_relaxed);
            return;
        }
        if (state == kTaken || state == kOnCaller) QSERROR("WorkAhead: job %zu taken twice", job);
        // The other thread is at it: do a later job meanwhile rather than wait, as long as
        // there is one.
        if (!HelpAfter(job)) break;
    }
    uint8_t state = states_[job].load(std::memory_order_acquire);
    while (state != kDone) {
        states_[job].wait(state, std::memory_order_acquire);
        state = states_[job].load(std::memory_order_acquire);
    }
    states_[job].store(kTaken, std::memory_order_relaxed);
}

bool WorkAhead::HelpAfter(size_t job) {
    helpFrom_ = std::max(helpFrom_, job + 1);
    for (; helpFrom_ < count_; ++helpFrom_) {
        uint8_t expected = kFree;
        if (states_[helpFrom_].compare_exchange_strong(expected, kOnCaller,
                                                       std::memory_order_acquire)) {
            work_(helpFrom_, true);
            // Only this thread reads it: Take of that job sees it done.
            states_[helpFrom_].store(kDone, std::memory_order_relaxed);
            ++helpFrom_;
            return true;
        }
    }
    return false;
}
