// The NetWare line: volume name, a colon, then the path, less a leading
// drive only when the path has one.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz.h"
#include "walk/walk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t cut = input.find('\0');
  std::string volume = input.substr(0, cut);
  std::string path = cut == std::string::npos ? "" : input.substr(cut + 1);
  std::string line = NetWareLine(volume, path);
  bool drive = path.size() >= 2 && path[1] == ':' &&
               std::isalpha(static_cast<unsigned char>(path[0]));
  FUZZ_CHECK(line == volume + ":" + path.substr(drive ? 2 : 0));
  return 0;
}
