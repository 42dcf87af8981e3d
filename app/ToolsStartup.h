#pragma once

#include <memory>

class ThumbnailTempSweep;

// The start-up of vlmtools, up to the moment its window may open.
namespace ToolsStartup {

struct Result
{
    Result();
    Result(Result &&) noexcept;
    Result &operator=(Result &&) noexcept;
    ~Result();

    bool ok = false;  // false only when the database driver is missing
    std::unique_ptr<ThumbnailTempSweep> thumbnailSweep;  // stopped at exit
};

// The settings name, the image size limit and the database driver check
// that vlmtools shares with vlm; then, on an existing data folder that no
// other program holds, the removal of an import's leftovers and the roll
// back of an unfinished commit. The data folder and the database are never
// created, judged or opened here: the window opens whatever "vlm.mdb" is,
// and each tool that needs the database refuses an unusable one itself.
// A missing driver is shown through the prompt and gives ok false; a
// warning about the data folder (a Start Over that did not finish) is
// shown and start-up goes on.
Result Main();

} // namespace ToolsStartup
