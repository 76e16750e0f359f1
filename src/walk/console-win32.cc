#include "walk/console.h"

#include <conio.h>

void StartConsoleKeys() {}

void StopConsoleKeys() {}

int PollKey() {
  return _kbhit() ? _getch() : -1;
}
