#pragma once

#include <functional>

// Work that may wait on the network or the disk, done on a thread of its
// own while the calling (window) thread keeps its event loop running: the
// window repaints and the progress window's Cancel arrives meanwhile.
namespace WorkerWait {

// Runs work on a new thread and returns once it has ended, running the
// caller's events in between and calling tick (when given) about every
// 20 ms on the caller's thread, where it may ask the work to stop. An
// exception work throws is thrown again here. Without an application
// object, or off its thread, it simply waits.
void run(const std::function<void()> &work, const std::function<void()> &tick = {});

} // namespace WorkerWait
