#pragma once

#include <cstddef>

namespace tarnwick {

// Lifts the soft limit on open descriptors to the hard one, as far as the system allows. Servers
// often start programs with a soft limit of a few hundred, which a run through a web of many
// folders, with the window's own files beside it, can reach. Nothing to do on Windows, whose
// handles have no such limit.
void RaiseOpenFileLimit();

// How many descriptors the process may have open at once (the soft limit); the largest number
// where there is no such limit.
std::size_t OpenFileLimit();

}  // namespace tarnwick
