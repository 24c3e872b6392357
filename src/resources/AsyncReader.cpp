#include "resources/AsyncReader.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <system_error>

#include "core/HashName.h"
#include "core/QSError.h"
#include "resources/QSStreamFile.h"

namespace {

bool ServedBefore(const ReadRequest& a, const ReadRequest& b) {
    if (a.priority != b.priority) return a.priority > b.priority;
    return a.sequence < b.sequence;
}

int ElapsedMs(std::chrono::steady_clock::time_point start) {
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - start)
                                .count());
}

}  // namespace

AsyncReader::AsyncReader() { queue_.reserve(capacity_); }

AsyncReader::~AsyncReader() {
    if (thread_.joinable()) UnInit();
}

void AsyncReader::Init() {
    stop_ = 1;
    try {
        thread_ = std::thread(&AsyncReader::Run, this);
    } catch (const std::system_error&) {
        QSLOG(kLogFatal, "Couldn't start AsyncReader thread");
    }
    QSLOG(kLogInfo, "THREAD: spawned ASYNC %x",
          static_cast<unsigned>(std::hash<std::thread::id>{}(thread_.get_id())));
    {
        std::unique_lock lock(queueMutex_);
        stopFlag_.wait(lock, [this] { return stop_ == 0; });
    }
    started_ = true;
    QSLOG(kLogInfo, "AsyncReader::Init() finished starting up (stop %d)", stop_.load());
}

void AsyncReader::Run() {
    {
        std::lock_guard lock(queueMutex_);
        threadId_ = std::this_thread::get_id();
        stop_ = 0;
    }
    stopFlag_.notify_all();
    for (;;) {
        ReadRequest request;
        {
            std::unique_lock lock(queueMutex_);
            wake_.wait(lock, [this] { return stop_ != 0 || !queue_.empty(); });
            if (stop_) break;
            request = queue_.front();
            queue_.erase(queue_.begin());
        }
        ResourceContent buffer;
        uint32_t delivered = 0;
        if (request.archive && request.node) {
            delivered = request.archive->ReadContent(*request.node, buffer);
        } else {
            buffer.Allocate(0);
        }
        request.completion(request.context, buffer, delivered, request.resource);
    }
    // Logged before the flag clears, so the line always precedes UnInit's last one.
    QSLOG(kLogInfo, "EXIT: Async thread exiting");
    {
        std::lock_guard lock(queueMutex_);
        stop_ = 0;
    }
    stopFlag_.notify_all();
}

void AsyncReader::UnInit() {
    QSLOG(kLogInfo, "EXIT: AsyncReader::UnInit() waiting for async reader to stop (%d)", stop_.load());
    auto start = std::chrono::steady_clock::now();
    auto deadline = start + std::chrono::milliseconds(kStopMs);

    if (OnReaderThread()) {
        // A fatal error raised by a completion shuts down from the reader's own thread: it
        // cannot wait for itself. It stops serving and the process ends.
        {
            std::lock_guard lock(queueMutex_);
            stop_ = 1;
        }
        QSLOG(kLogInfo, "EXIT: Uninitializing AsyncReader (stop %d) timeout %d", stop_.load(),
              ElapsedMs(start));
        if (thread_.joinable()) thread_.detach();
        started_ = false;
        return;
    }

    {
        std::unique_lock lock(queueMutex_);
        stopFlag_.wait_until(lock, deadline, [this] { return stop_ == 0; });
        stop_ = 1;
    }
    wake_.notify_all();
    QSLOG(kLogInfo, "EXIT: AsyncReader::UnInit() waiting for async reader to stop (%d) timeout %d",
          stop_.load(), ElapsedMs(start));
    bool stopped;
    {
        std::unique_lock lock(queueMutex_);
        stopped = stopFlag_.wait_until(lock, deadline, [this] { return stop_ == 0; });
    }
    QSLOG(kLogInfo, "EXIT: Uninitializing AsyncReader (stop %d) timeout %d", stop_.load(),
          ElapsedMs(start));
    if (thread_.joinable()) {
        if (stopped) {
            thread_.join();
        } else {
            thread_.detach();  // not forced to end
        }
    }
    started_ = false;
}

void AsyncReader::InsertSorted(ReadRequest&& request) {
    if (queue_.size() == capacity_) {
        capacity_ += kQueueGrowth;
        queue_.reserve(capacity_);
    }
    auto place = std::upper_bound(queue_.begin(), queue_.end(), request, ServedBefore);
    queue_.insert(place, std::move(request));
}

int AsyncReader::AddRequest(const char* name, int8_t priority, AsyncCompletion completion,
                            void* context, void* resource, const QSStreamFile* archive,
                            const FileNode* node) {
    ReadRequest request;
    std::snprintf(request.name, sizeof request.name, "%s", name ? name : "");
    request.completion = completion;
    request.context = context;
    request.resource = resource;
    request.archive = archive;
    request.node = node;
    request.priority = priority;
    {
        std::lock_guard lock(queueMutex_);
        request.sequence = sequence_++;
        InsertSorted(std::move(request));
    }
    wake_.notify_one();
    return 1;
}

int AsyncReader::SetPriority(const char* name, int8_t priority) {
    std::lock_guard lock(queueMutex_);
    for (auto it = queue_.begin(); it != queue_.end(); ++it) {
        if (!SameName(it->name, name ? name : "")) continue;
        if (it->priority != priority) {
            ReadRequest request = *it;
            request.priority = priority;
            queue_.erase(it);
            InsertSorted(std::move(request));
        }
        break;
    }
    return 1;
}

uint32_t AsyncReader::QueueCapacity() const {
    std::lock_guard lock(queueMutex_);
    return capacity_;
}

uint32_t AsyncReader::QueueCount() const {
    std::lock_guard lock(queueMutex_);
    return static_cast<uint32_t>(queue_.size());
}
