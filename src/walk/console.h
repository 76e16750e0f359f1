// Keys from the console itself, never from standard input.
#pragma once

constexpr int kEscKey = 27;

// Takes the console's keyboard for the run; a no-op without a console.
// The console is given back on every way out of the process.
void StartConsoleKeys();
void StopConsoleKeys();

// The next waiting key code, or -1 when none waits. Never blocks.
int PollKey();
