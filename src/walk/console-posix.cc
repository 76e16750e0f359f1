#include "walk/console.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

int tty = -1;
struct termios saved_mode;
struct termios key_mode;

// Bytes read from the terminal and not yet turned into keys.
unsigned char pending[64];
int pending_count = 0;

void GiveBack() {
  if (tty >= 0)
    tcsetattr(tty, TCSANOW, &saved_mode);
}

void OnFatalSignal(int signal_number) {
  GiveBack();
  signal(signal_number, SIG_DFL);
  raise(signal_number);
}

void OnStop(int) {
  GiveBack();
  signal(SIGTSTP, SIG_DFL);
  raise(SIGTSTP);
  // Running again: take the terminal back only if still in front.
  signal(SIGTSTP, OnStop);
  if (tcgetpgrp(tty) == getpgrp())
    tcsetattr(tty, TCSANOW, &key_mode);
}

void Fill() {
  if (pending_count == sizeof pending)
    return;
  ssize_t got = read(tty, pending + pending_count, sizeof pending - pending_count);
  if (got > 0)
    pending_count += static_cast<int>(got);
}

void Drop(int count) {
  for (int i = count; i < pending_count; ++i)
    pending[i - count] = pending[i];
  pending_count -= count;
}

// Length of the escape sequence at the front of `pending`, or 1 for a lone
// Esc. Cursor and function keys send ESC [ ... final or ESC O final; Alt
// with a key sends ESC and that key.
int EscapeLength() {
  if (pending_count == 1) {
    // The rest of a sequence may be a moment behind its first byte.
    std::fflush(stderr);
    struct pollfd wait = {tty, POLLIN, 0};
    if (poll(&wait, 1, 20) > 0)
      Fill();
  }
  if (pending_count == 1 || pending[1] == kEscKey)
    return 1;
  if (pending[1] != '[' && pending[1] != 'O')
    return 2;
  int length = 2;
  while (length < pending_count &&
         !(pending[length] >= 0x40 && pending[length] <= 0x7E))
    ++length;
  return length < pending_count ? length + 1 : length;
}

}  // namespace

void StartConsoleKeys() {
  // Keys are only polled; a background run must never be stopped for them.
  signal(SIGTTIN, SIG_IGN);
  signal(SIGTTOU, SIG_IGN);
  int fd = open("/dev/tty", O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return;
  if (tcgetpgrp(fd) != getpgrp() || tcgetattr(fd, &saved_mode) != 0) {
    close(fd);
    return;
  }
  key_mode = saved_mode;
  key_mode.c_lflag &= ~(ICANON | ECHO);
  key_mode.c_cc[VMIN] = 0;
  key_mode.c_cc[VTIME] = 0;
  tty = fd;
  std::atexit(GiveBack);
  signal(SIGINT, OnFatalSignal);
  signal(SIGTERM, OnFatalSignal);
  signal(SIGHUP, OnFatalSignal);
  signal(SIGTSTP, OnStop);
  tcsetattr(tty, TCSANOW, &key_mode);
}

void StopConsoleKeys() {
  GiveBack();
  if (tty >= 0)
    close(tty);
  tty = -1;
}

int PollKey() {
  if (tty < 0)
    return -1;
  if (pending_count == 0)
    Fill();
  if (pending_count == 0)
    return -1;
  if (pending[0] != kEscKey) {
    int key = pending[0];
    Drop(1);
    return key;
  }
  int length = EscapeLength();
  Drop(length);
  // A whole sequence is one key, and not Esc.
  return length == 1 ? kEscKey : 0;
}

void BufferErrorOutput() {
  std::setvbuf(stderr, nullptr, _IOLBF, BUFSIZ);
}

bool OutputIsTerminal() {
  static const bool is_terminal = isatty(STDOUT_FILENO);
  return is_terminal;
}
