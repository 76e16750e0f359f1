// Makes stand-in calls from a process of its own, so tests can show what
// outlives a process and what happens when several run at once.
//
//   standin-call CLIENT COMMAND...
//
// CLIENT is 32 hex digits. Commands: begin:LIST (continuous operation for
// the comma-separated LIST, sent without a NUL), end, open:PATH. Prints
// the statuses separated by spaces, with no line ending for a Windows
// runtime to rewrite.
#include <cstdio>
#include <cstring>
#include <string>

#include "host.h"
#include "support/process.h"

namespace {

bool ParseClient(const std::string& hex, uint8_t* id) {
  if (hex.size() != 32)
    return false;
  for (size_t i = 0; i < 16; ++i) {
    unsigned v = 0;
    if (std::sscanf(hex.c_str() + 2 * i, "%2x", &v) != 1)
      return false;
    id[i] = static_cast<uint8_t>(v);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  uint8_t client[16];
  if (argc < 2 || !ParseClient(argv[1], client)) {
    std::fprintf(stderr, "usage: standin-call CLIENT COMMAND...\n");
    return 2;
  }
  std::string err;
  BtrCallFunction entry =
      LoadEntry(ExecutableDirectory() + STANDIN_LIBRARY_NAME, &err);
  if (!entry) {
    std::fprintf(stderr, "%s\n", err.c_str());
    return 2;
  }
  for (int i = 2; i < argc; ++i) {
    std::string command = argv[i];
    uint8_t pos[128] = {};
    char key[256] = {};
    std::string data;
    uint16_t op = 42;
    int8_t keynum = 0;
    if (command.rfind("begin:", 0) == 0) {
      data = command.substr(6);
    } else if (command == "end") {
      keynum = 1;
    } else if (command.rfind("open:", 0) == 0 && command.size() < 256 + 5) {
      op = 0;
      std::memcpy(key, command.data() + 5, command.size() - 5);
    } else {
      std::fprintf(stderr, "unknown command %s\n", command.c_str());
      return 2;
    }
    uint32_t len = static_cast<uint32_t>(data.size());
    int status = entry(op, pos, data.data(), &len, key, 255, keynum, client);
    std::printf(i > 2 ? " %d" : "%d", status);
  }
  return 0;
}
