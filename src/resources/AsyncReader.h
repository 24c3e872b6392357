// AsyncReader: reads archive files on a thread of its own.
//
// Requests wait in a queue ordered by priority (higher first), then by age (older first).
// The thread sleeps on a condition until a request or a stop arrives, serves one request at
// a time by chunks and packets into a buffer of Len + 1 bytes, and hands the buffer to the
// request's completion on the reader's thread. Requests still queued when the reader stops
// are never served.
//
// Lock order (shared with the resource manager): INI queue lock, manager lock, then this
// reader's queue lock, which is held only to add, re-prioritise or take out a request.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "core/QSGameResource.h"
#include "resources/StreamFormat.h"

class QSStreamFile;

// Called on the reader's thread with the content, which it now owns.
using AsyncCompletion = void (*)(void* context, ResourceContent& buffer, uint32_t delivered,
                                 void* resource);

struct ReadRequest {
    char name[260] = {};
    AsyncCompletion completion = nullptr;
    void* context = nullptr;
    void* resource = nullptr;
    const QSStreamFile* archive = nullptr;  // null (a directory): an empty buffer is delivered
    const FileNode* node = nullptr;
    int8_t priority = 0;
    uint32_t sequence = 0;
};

class AsyncReader {
public:
    AsyncReader();
    ~AsyncReader();
    AsyncReader(const AsyncReader&) = delete;
    AsyncReader& operator=(const AsyncReader&) = delete;

    // Starts the thread and returns once it runs.
    void Init();
    // Asks the thread to stop after the request in hand and waits for it, at most 10,000 ms.
    void UnInit();

    int AddRequest(const char* name, int8_t priority, AsyncCompletion completion, void* context,
                   void* resource, const QSStreamFile* archive, const FileNode* node);
    // Re-prioritises the first queued request of that name (case-insensitive), if any.
    int SetPriority(const char* name, int8_t priority);

    bool Stopping() const { return stop_ != 0; }
    // Whether Init has started the thread and UnInit has not yet stopped it.
    bool Started() const { return started_.load(); }
    bool OnReaderThread() const { return std::this_thread::get_id() == threadId_.load(); }
    uint32_t QueueCapacity() const;
    uint32_t QueueCount() const;

private:
    void Run();
    void InsertSorted(ReadRequest&& request);

    static constexpr uint32_t kQueueGrowth = 50;
    static constexpr int kStopMs = 10000;

    std::atomic<uint8_t> stop_{0};
    std::atomic<bool> started_{false};
    mutable std::mutex queueMutex_;
    std::condition_variable wake_;      // a request or a stop has arrived
    std::condition_variable stopFlag_;  // the thread has changed the stop flag
    std::thread thread_;
    std::atomic<std::thread::id> threadId_{};
    std::vector<ReadRequest> queue_;  // sorted: the first is served next
    uint32_t capacity_ = kQueueGrowth;
    uint32_t sequence_ = 0;
};
