#pragma once

#include <memory>

class frmNavTree;
class QLockFile;
class ThumbnailTempSweep;

// The start-up of vlm, from the settings to the shown navigation window.
namespace VlmStartup {

struct Result
{
    Result();
    Result(Result &&) noexcept;
    Result &operator=(Result &&) noexcept;
    ~Result();

    // Declared after the lock, so the sweep's thread stops before the lock
    // is given up.
    std::unique_ptr<QLockFile> lock;     // held while the program runs
    std::unique_ptr<ThumbnailTempSweep> thumbnailSweep;  // stopped at exit
    std::unique_ptr<frmNavTree> window;  // null when start-up failed
    int exitCode = 0;
};

// Runs every start-up step in order. On failure the reason has been shown
// through the prompt, no window is left and exitCode is non-zero.
Result Main();

} // namespace VlmStartup
