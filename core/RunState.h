#pragma once

#include <functional>

// Everything a run of the program learns and keeps until it ends: the stop
// request of a long operation, and what the libraries above register (the
// cabinets unlocked, the template names, the navigation window's position,
// the pages cut for a paste). A new data folder starts from nothing, so the
// test fixtures call forgetAll() with every fresh folder.
namespace RunState {

// Forgets all of it, the registered parts too.
void forgetAll();

// Adds the reset of a library's own state; called by forgetAll() in the order
// added. Each such state adds its own the first time it is used, so a state
// never used needs none; a state whose reset must reach it before any use
// (the template names, reread from the data folder then in use) adds it
// when the program starts.
void addReset(std::function<void()> reset);

} // namespace RunState
