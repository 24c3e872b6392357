// WorkAhead: a list of jobs done on two threads, whose results the caller takes in order.
//
// The caller takes job 0, 1, 2, ... in turn with Take. A second thread works ahead from the
// front, claiming each job no one has claimed; when the caller comes to a job the other
// thread has not claimed, it does the job itself, and while the other thread is at it, the
// caller does later jobs no one has claimed, and waits only when there are none. Either way, once Take returns, the job is done and its results (written by
// work into storage the caller owns, one place a job) are the caller's to read. So the jobs
// may be done in any order and on either thread, but everything the caller does with them
// happens in order on its own thread.
//
// A fatal error on any thread stops the other thread before the program's shut-down frees
// anything.
//
// work(job, onCaller) must be safe to run on both threads at once for different jobs;
// onCaller tells which thread runs it, so that each thread can use state of its own. On a
// machine with one core, or for fewer than a few jobs, no second thread is started.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class WorkAhead {
  public:
    using Work = std::function<void(size_t job, bool onCaller)>;

    WorkAhead(size_t jobs, Work work);
    // Stops the other thread after the job it is doing; jobs not taken may be left undone.
    ~WorkAhead();
    WorkAhead(const WorkAhead&) = delete;
    WorkAhead& operator=(const WorkAhead&) = delete;

    // Job's results are ready once this returns; jobs are taken in order, each once.
    void Take(size_t job);

    bool Threaded() const { return threaded_; }

  private:
    enum : uint8_t { kFree = 0, kOnWorker = 1, kDone = 2, kOnCaller = 3, kTaken = 4 };
    void Run();
    // Stops the other thread after its job and waits for it; also from the shut-down of a
    // fatal error, so that it reads nothing the exit frees.
    void StopWorker();
    // Does the first job after job (and after the last one helped with) that no one has
    // claimed; false when there is none.
    bool HelpAfter(size_t job);

    size_t count_;
    Work work_;
    std::unique_ptr<std::atomic<uint8_t>[]> states_;
    std::atomic<bool> stop_{false};
    size_t helpFrom_ = 0;  // the caller's: jobs before it were claimed already
    bool threaded_ = false;
    int shutdownHook_ = -1;
    std::mutex workerMutex_;  // guards worker_ between the owner and a fatal error's shut-down
    std::thread worker_;
};
