#pragma once

#include <cstddef>
#include <vector>

// Finds the runs of element content that the run elision leaves out of a
// text's skeleton (see XMLRunElision.h for which), looking at the text a
// window at a time, in order: a window may end anywhere, inside markup or
// inside a run.
class TRunFinder {
public:
    struct TRun {
        size_t Offset;  // in the text
        size_t Length;
    };

    // The state of the content a window ended in, carried to the next.
    struct TCheck {
        bool Elidable = true;
        bool NonBlank = false;
        size_t Equals = 0;
        void Look(const char* From, const char* To);
    };

    explicit TRunFinder(size_t MinRun) : FMinRun(MinRun) {}

    // Looks at the Size bytes at Window, the text from Base on, where the
    // last look stopped; Last says the text ends with them. Returns how many
    // bytes are done with. The rest begin a construct the window ends in:
    // they are given again at the start of the next window, with more text.
    size_t Look(const char* Window, size_t Size, size_t Base, bool Last);

    const std::vector<TRun>& Runs() const { return FRuns; }
    // The '=' inside the runs.
    size_t Equals() const { return FEquals; }
    // Markup the scan does not know: no run is to be elided in this text.
    bool Doubt() const { return FDoubt; }
    // A run long enough to be elided is open at the end of the last window.
    // Its bytes there are done with: the run is either elided whole or,
    // when it proves not to be, Lost() says so.
    bool InLongRun() const { return FLongRun; }
    size_t LongRunOffset() const { return FLongRunOffset; }
    // A long run whose bytes were done with proved not to be elidable.
    bool Lost() const { return FLost; }

private:
    size_t FMinRun;
    size_t FDepth = 0;
    bool FStarted = false;
    bool FDoubt = false;
    bool FEnded = false;
    bool FLost = false;
    bool FLongRun = false;
    size_t FLongRunOffset = 0;
    TCheck FLongRunCheck;
    std::vector<TRun> FRuns;
    size_t FEquals = 0;
};
