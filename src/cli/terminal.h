#pragma once

namespace tarnwick {

bool StandardOutputIsTerminal();
bool StandardErrorIsTerminal();

// The width of the terminal on standard error; 80 when it cannot be told.
int StandardErrorColumns();

// From now on an interrupt (Ctrl+C) is only noted, so the run can end after the file in
// progress instead of leaving a half-written copy.
void CatchInterrupt();
bool InterruptRequested();

}  // namespace tarnwick
