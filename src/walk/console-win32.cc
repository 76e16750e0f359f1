#include "walk/console.h"

#include <conio.h>
#include <io.h>
#include <stdio.h>

void StartConsoleKeys() {}

void StopConsoleKeys() {}

int PollKey() {
  return _kbhit() ? _getch() : -1;
}

// The C runtime's line mode buffers whole blocks, which would hold messages
// back: standard error stays unbuffered.
void BufferErrorOutput() {}

bool OutputIsTerminal() {
  static const bool is_terminal = _isatty(_fileno(stdout));
  return is_terminal;
}
