// Lets a fuzz target survive the fatal errors that bad input is allowed to raise: the fatal
// path's exit is replaced by an exception that the target catches.
#pragma once

struct FatalErrorRaised {};

// Silences the log and the fatal presenter and installs the throwing exit; idempotent.
void PrepareFuzzHarness();

// Runs body; a fatal error inside it is caught and forgotten.
template <typename Body>
void RunGuarded(Body body) {
    PrepareFuzzHarness();
    try {
        body();
    } catch (const FatalErrorRaised&) {
    }
}
