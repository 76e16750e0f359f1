// Begins and ends continuous operation for the files named on its command
// line, over and over, through the stand-in loaded from argv[1]: a state
// writer for a test to kill at any moment.
#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <string>

using Entry = int(uint16_t, void*, void*, uint32_t*, void*, uint8_t, int8_t,
                  uint8_t*);

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: standin_writer LIBRARY FILE...\n");
    return 2;
  }
  void* library = dlopen(argv[1], RTLD_NOW);
  Entry* entry = library ? reinterpret_cast<Entry*>(dlsym(library, "BTRCALLID"))
                         : nullptr;
  if (!entry) {
    std::fprintf(stderr, "standin_writer: %s\n", dlerror());
    return 2;
  }
  std::string list = argv[2];
  for (int i = 3; i < argc; ++i)
    list += std::string(",") + argv[i];
  uint8_t position[128] = {}, key[256] = {}, client[16] = {1};
  for (;;) {
    for (int8_t key_number : {0, 1}) {
      std::string data = list;
      uint32_t length = static_cast<uint32_t>(data.size());
      int status = entry(42, position, data.data(), &length, key, 255,
                         key_number, client);
      if (status != 0) {
        std::fprintf(stderr, "standin_writer: status %d\n", status);
        return 1;
      }
    }
  }
}
