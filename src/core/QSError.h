// The log, the fatal-error path and the lock shared by the resource manager and its reader.
//
// Every subsystem reports through here. Log lines look like
//     QSINIFile.cpp(120): (INFO) : message
// A fatal error writes its line, closes the log, shows the message through the installed
// presenter (a console line by default, a message box in the editor), runs the registered
// shut-down hooks and ends the process with exit code -1.
//
// The log file is chosen by the program before its first write (OpenLog); until then, and
// after DisableLog, nothing is logged. The editor opens "Brix_log.txt" in the current
// directory; command-line tools log elsewhere or not at all.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#if defined(__GNUC__)
#define QS_PRINTF(fmt_index, first_arg) __attribute__((format(printf, fmt_index, first_arg)))
#else
#define QS_PRINTF(fmt_index, first_arg)
#endif

// Log levels. Below kLogThreshold an entry is dropped; kLogFatal (and any unknown level)
// ends the program.
enum : int {
    kLogInfo = 1,
    kLogDebug = 2,
    kLogNote = 3,
    kLogFatal = 4,
    kLogFatalEntry = 5,
    kLogLogo = 6,
};
inline constexpr int kLogThreshold = 1;
inline constexpr const char* kDefaultLogName = "Brix_log.txt";

// Writes a leveled entry "%s(%d): (%s) : %s\n" with the tag of the level.
void Log(int level, const char* source, int line, const char* format, ...) QS_PRINTF(4, 5);
// Always fatal: "QSError <format>\n", then the formatted message (or "Generic Error").
[[noreturn]] void Error(const char* source, int line, const char* format, ...) QS_PRINTF(3, 4);
// The package writer's progress: to the build window's list and as an "RSCR" entry.
void ResourcerLog(int level, const char* source, int line, const char* format, ...)
    QS_PRINTF(4, 5);
// Writes one entry (the message as it is when tag is null); severity 1 makes it fatal.
void _HandleError(const char* tag, const char* source, int line, int severity,
                  const char* message);
// Orderly shut-down: runs the shut-down hooks, then ends the process with exit code -1.
[[noreturn]] void CleanUp();

#define QSLOG(level, ...) Log((level), __FILE__, __LINE__, __VA_ARGS__)
#define QSERROR(...) Error(__FILE__, __LINE__, __VA_ARGS__)
#define RSCLOG(level, ...) ResourcerLog((level), __FILE__, __LINE__, __VA_ARGS__)

// --- Choosing the log ---------------------------------------------------------------------

// Creates the log anew (truncating an existing file). If it cannot be created, logging is
// disabled for the rest of the run. Returns true when the log is open.
bool OpenLog(const std::filesystem::path& path = kDefaultLogName);
// Nothing is logged from now on.
void DisableLog();
// Writes the closing line and closes the log (also done automatically at process end).
void CloseLog();

// --- Hooks the program installs -----------------------------------------------------------

// Shows a fatal message to the user and returns once the user has acknowledged it.
using FatalPresenter = std::function<void(const std::string& message)>;
// Installs the presenter; an empty function restores the console presenter (stderr).
void SetFatalPresenter(FatalPresenter presenter);

// Receives every progress line of the package writer (the build window's list).
using ResourcerSink = std::function<void(const std::string& line)>;
void SetResourcerSink(ResourcerSink sink);

// Shut-down stages, run by CleanUp in this order. Threads working ahead stop first, before
// what they read is let go.
enum class ShutdownStage {
    Workers = -1,
    Localization = 0,
    ResourceIniQueue = 1,
    ResourceManager = 2
};
// Registers a shut-down hook; returns a handle for UnregisterShutdownHook.
int RegisterShutdownHook(ShutdownStage stage, std::function<void()> hook);
void UnregisterShutdownHook(int handle);

// How the process ends after a fatal error. Only harnesses that must survive a fatal
// error (the fuzzers) replace it; the function must not return.
using ExitFunction = void (*)(int code);
void SetExitFunction(ExitFunction fn);
// Forgets that CleanUp was entered (for the same harnesses, after a caught fatal error).
void ResetCleanUpForHarness();

// Sleeps one millisecond; the unit of every bounded wait.
void QSSleep1ms();

// A lock that records the thread holding it, so a caller can avoid locking twice.
class QSMutex {
public:
    QSMutex() = default;
    QSMutex(const QSMutex&) = delete;
    QSMutex& operator=(const QSMutex&) = delete;

    void Lock();
    bool TryLock();
    void Unlock();
    // The id of the holding thread; a default id when free.
    std::thread::id Owner() const { return owner_.load(std::memory_order_acquire); }
    bool HeldByCurrentThread() const { return Owner() == std::this_thread::get_id(); }

private:
    std::mutex mutex_;
    std::atomic<std::thread::id> owner_{};
};
