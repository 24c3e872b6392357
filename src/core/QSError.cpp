#include "core/QSError.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Limits of the texts that make up an entry; longer texts are cut.
constexpr size_t kMessageChars = 255;        // Log's formatted message
constexpr size_t kLongMessageChars = 256;    // Error's and the writer's formatted message
constexpr size_t kLineChars = 1023;          // one finished log line
constexpr size_t kSourceChars = 259;         // the source file name

enum class LogState { Unset, Open, Closed, Disabled };

struct LogFile {
    std::mutex mutex;
    LogState state = LogState::Unset;
    FILE* file = nullptr;
    std::string path;
    bool atexitRegistered = false;
};

// Mirrors LogFile::state for a lock-free look: is anything going to be written?
std::atomic<bool> g_logAccepting{false};

void MirrorState(LogState state) {
    g_logAccepting = state == LogState::Open || state == LogState::Closed;
}

LogFile& TheLog() {
    // Never destroyed: writes from other static destructors at exit must still find it.
    static LogFile* log = new LogFile;
    return *log;
}

struct Hook {
    int handle;
    ShutdownStage stage;
    std::function<void()> fn;
};

struct Hooks {
    std::mutex mutex;
    std::vector<Hook> hooks;
    int nextHandle = 1;
    FatalPresenter presenter;
    ResourcerSink sink;
    ExitFunction exitFn = nullptr;
};

Hooks& TheHooks() {
    static Hooks* hooks = new Hooks;
    return *hooks;
}

std::atomic<bool> g_cleanUpEntered{false};

// Every write goes through here. While the log is open the text is written and flushed at
// once; after a fatal error has closed it, each write reopens the file, appends an
// out-of-order line and closes it again.
void WriteLog(const char* text) {
    LogFile& log = TheLog();
    std::lock_guard lock(log.mutex);
    switch (log.state) {
    case LogState::Unset:
    case LogState::Disabled:
        return;
    case LogState::Open:
        std::fputs(text, log.file);
        std::fflush(log.file);
        return;
    case LogState::Closed: {
        FILE* f = std::fopen(log.path.c_str(), "ab");
        if (!f) {
            log.state = LogState::Disabled;
            MirrorState(log.state);
            return;
        }
        std::fprintf(f, "OUTOFORDER: %s\n", text);
        std::fclose(f);
        return;
    }
    }
}

void CloseLogFile() {
    LogFile& log = TheLog();
    std::lock_guard lock(log.mutex);
    if (log.state == LogState::Open) {
        std::fclose(log.file);
        log.file = nullptr;
        log.state = LogState::Closed;
    }
}

void CloseLogAtExit() { CloseLog(); }

// The part of a source path after its last directory separator.
const char* BaseName(const char* source) {
    if (!source) return "";
    const char* base = source;
    for (const char* p = source; *p; ++p) {
        if (*p == '\\' || *p == '/') base = p + 1;
    }
    return base;
}

std::string FormatMessage(size_t maxChars, const char* format, va_list args) {
    std::vector<char> buffer(maxChars + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    return std::string(buffer.data());
}

const char* TagOfLevel(int level, bool* fatal) {
    *fatal = false;
    switch (level) {
    case 1:
    case 7:
    case 8:
        return "INFO";
    case 2:
        return "DBUG";
    case 3:
        return "NOTE";
    case 5:
        return "FATL";
    case 6:
        return "LOGO";
    default:
        *fatal = true;
        return "FATL";
    }
}

void PresentFatal(const std::string& message) {
    FatalPresenter presenter;
    {
        Hooks& hooks = TheHooks();
        std::lock_guard lock(hooks.mutex);
        presenter = hooks.presenter;
    }
    if (presenter) {
        presenter(message);
    } else {
        std::fputs(message.c_str(), stderr);
        if (message.empty() || message.back() != '\n') std::fputc('\n', stderr);
        std::fflush(stderr);
    }
}

[[noreturn]] void EndProcess(int code) {
    ExitFunction fn;
    {
        Hooks& hooks = TheHooks();
        std::lock_guard lock(hooks.mutex);
        fn = hooks.exitFn;
    }
    if (fn) fn(code);
    std::exit(code);
}

}  // namespace

bool OpenLog(const std::filesystem::path& path) {
    LogFile& log = TheLog();
    std::lock_guard lock(log.mutex);
    if (log.file) std::fclose(log.file);
    log.path = path.string();
    log.file = std::fopen(log.path.c_str(), "wb");
    log.state = log.file ? LogState::Open : LogState::Disabled;
    MirrorState(log.state);
    if (!log.atexitRegistered) {
        log.atexitRegistered = true;
        std::atexit(CloseLogAtExit);
    }
    return log.state == LogState::Open;
}

void DisableLog() {
    LogFile& log = TheLog();
    std::lock_guard lock(log.mutex);
    if (log.file) std::fclose(log.file);
    log.file = nullptr;
    log.state = LogState::Disabled;
    MirrorState(log.state);
}

void CloseLog() {
    std::string path;
    {
        LogFile& log = TheLog();
        std::lock_guard lock(log.mutex);
        if (log.state == LogState::Unset || log.state == LogState::Disabled) return;
        path = log.path;
    }
    char text[kLineChars + 1];
    std::snprintf(text, sizeof text, "DESTRUCTOR: closing logFile %s\n", path.c_str());
    WriteLog(text);
    CloseLogFile();
}

void SetFatalPresenter(FatalPresenter presenter) {
    Hooks& hooks = TheHooks();
    std::lock_guard lock(hooks.mutex);
    hooks.presenter = std::move(presenter);
}

void SetResourcerSink(ResourcerSink sink) {
    Hooks& hooks = TheHooks();
    std::lock_guard lock(hooks.mutex);
    hooks.sink = std::move(sink);
}

int RegisterShutdownHook(ShutdownStage stage, std::function<void()> hook) {
    Hooks& hooks = TheHooks();
    std::lock_guard lock(hooks.mutex);
    int handle = hooks.nextHandle++;
    hooks.hooks.push_back({handle, stage, std::move(hook)});
    return handle;
}

void UnregisterShutdownHook(int handle) {
    Hooks& hooks = TheHooks();
    std::lock_guard lock(hooks.mutex);
    std::erase_if(hooks.hooks, [handle](const Hook& h) { return h.handle == handle; });
}

void SetExitFunction(ExitFunction fn) {
    Hooks& hooks = TheHooks();
    std::lock_guard lock(hooks.mutex);
    hooks.exitFn = fn;
}

void ResetCleanUpForHarness() { g_cleanUpEntered = false; }

void _HandleError(const char* tag, const char* source, int line, int severity,
                  const char* message) {
    if (!message) return;
    char entry[kLineChars + 1];
    if (tag) {
        char name[kSourceChars + 1];
        std::snprintf(name, sizeof name, "%s", BaseName(source));
        std::snprintf(entry, sizeof entry, "%s(%d): (%s) : %s\n", name, line, tag, message);
    } else {
        std::snprintf(entry, sizeof entry, "%s", message);
    }
    WriteLog(entry);
    if (severity != 1) return;

    CloseLogFile();
    WriteLog("_HandleError calling CleanUp()\n");
    PresentFatal(entry);
    CleanUp();
}

void Log(int level, const char* source, int line, const char* format, ...) {
    if (!format || !*format) return;
    if (level < kLogThreshold) return;
    bool fatal = false;
    const char* tag = TagOfLevel(level, &fatal);
    if (!fatal && !g_logAccepting) return;  // nothing would be written
    if (fatal) {
        char raw[kLineChars + 1];
        std::snprintf(raw, sizeof raw, "QSFATAL %s", format);
        WriteLog(raw);
    }
    va_list args;
    va_start(args, format);
    std::string message = FormatMessage(kMessageChars, format, args);
    va_end(args);
    _HandleError(tag, source, line, fatal ? 1 : 0, message.c_str());
}

void Error(const char* source, int line, const char* format, ...) {
    char raw[kLineChars + 1];
    std::snprintf(raw, sizeof raw, "QSError %s\n", format ? format : "");
    WriteLog(raw);
    std::string message = "Generic Error";
    if (format && *format) {
        va_list args;
        va_start(args, format);
        message = FormatMessage(kLongMessageChars, format, args);
        va_end(args);
    }
    _HandleError("FATL", source, line, 1, message.c_str());
    // _HandleError with severity 1 does not return; keep the promise even if a harness's
    // exit function did.
    std::abort();
}

void ResourcerLog(int /*level*/, const char* source, int line, const char* format, ...) {
    if (!format || !*format) return;
    ResourcerSink sink;
    {
        Hooks& hooks = TheHooks();
        std::lock_guard lock(hooks.mutex);
        sink = hooks.sink;
    }
    if (!sink && !g_logAccepting) return;  // nobody would see the line
    va_list args;
    va_start(args, format);
    std::string message = FormatMessage(kLongMessageChars, format, args);
    va_end(args);
    if (sink) sink(message);
    _HandleError("RSCR", source, line, 0, message.c_str());
}

void CleanUp() {
    if (g_cleanUpEntered.exchange(true)) {
        QSLOG(kLogInfo, "EXIT: reentering Cleanup");
        EndProcess(-1);
    }
    QSLOG(kLogInfo, "EXIT: entering Cleanup for the first time");
    QSLOG(kLogDebug, "error endthread");

    std::vector<Hook> hooks;
    {
        Hooks& all = TheHooks();
        std::lock_guard lock(all.mutex);
        hooks = all.hooks;
    }
    std::stable_sort(hooks.begin(), hooks.end(),
                     [](const Hook& a, const Hook& b) { return a.stage < b.stage; });
    for (const Hook& hook : hooks) hook.fn();
    EndProcess(-1);
}

void QSSleep1ms() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

void QSMutex::Lock() {
    mutex_.lock();
    owner_.store(std::this_thread::get_id(), std::memory_order_release);
}

bool QSMutex::TryLock() {
    if (!mutex_.try_lock()) return false;
    owner_.store(std::this_thread::get_id(), std::memory_order_release);
    return true;
}

void QSMutex::Unlock() {
    owner_.store(std::thread::id{}, std::memory_order_release);
    mutex_.unlock();
}
