// Keys from the console itself, never from standard input, and how output
// reaches it.
#pragma once

constexpr int kEscKey = 27;

// Takes the console's keyboard for the run; a no-op without a console.
// The console is given back on every way out of the process.
void StartConsoleKeys();
void StopConsoleKeys();

// The next waiting key code, or -1 when none waits. Never blocks.
int PollKey();

// Holds standard error back until a line ends, so a spinner step costs no
// system call of its own; a no-op where the C runtime has no line mode.
void BufferErrorOutput();

// Whether standard output is a terminal, which shows each line at once.
bool OutputIsTerminal();
