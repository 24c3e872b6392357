#include "FuzzHarness.h"

#include "core/QSError.h"

namespace {
[[noreturn]] void ThrowInsteadOfExit(int) {
    ResetCleanUpForHarness();
    throw FatalErrorRaised{};
}
}  // namespace

void PrepareFuzzHarness() {
    static bool prepared = [] {
        DisableLog();
        SetFatalPresenter([](const std::string&) {});
        SetExitFunction(ThrowInsteadOfExit);
        return true;
    }();
    (void)prepared;
}
