#pragma once

#include <functional>

// Everything a run of the program learns and keeps until it ends: the
// cabinets unlocked, the stop request of a long operation, the template
// names, and what other libraries register (the navigation window's
// position, the pages cut for a paste). A new data folder starts from
// nothing, so the test fixtures call Reset() with every fresh folder.
namespace RunState {

// Forgets all of it, the registered parts too.
void Reset();

// Adds the reset of state kept outside the store; called by Reset() in the
// order added. Each such state adds its own the first time it is used, so a
// state never used needs none.
void AddReset(std::function<void()> reset);

} // namespace RunState
