// The POSIX listing's matching: a pattern and a name, split at the first
// NUL. Odd patterns must not crash it, and "*.*" takes every name.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz.h"
#include "walk/filesystem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t cut = input.find('\0');
  if (cut == std::string::npos)
    return 0;
  std::string pattern = input.substr(0, cut);
  std::string name = input.substr(cut + 1);
  if (name.find('\0') != std::string::npos)
    return 0;
  MatchesPattern(pattern, name.c_str());
  FUZZ_CHECK(MatchesPattern("*.*", name.c_str()));
  // A pattern without wildcards or escapes takes its own text only.
  if (pattern.find_first_of("*?[\\") == std::string::npos) {
    FUZZ_CHECK(MatchesPattern(pattern, pattern.c_str()));
    FUZZ_CHECK(MatchesPattern(pattern, name.c_str()) == (pattern == name));
  }
  return 0;
}
