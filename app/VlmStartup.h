#pragma once

#include <memory>

class frmNavTree;
class QLockFile;

// The start-up of vlm, from the settings to the shown navigation window.
namespace VlmStartup {

struct Result
{
    std::unique_ptr<frmNavTree> window;  // null when start-up failed
    std::unique_ptr<QLockFile> lock;     // held while the program runs
    int exitCode = 0;
};

// Runs every start-up step in order. On failure the reason has been shown
// through the prompt, no window is left and exitCode is non-zero.
Result Main();

} // namespace VlmStartup
