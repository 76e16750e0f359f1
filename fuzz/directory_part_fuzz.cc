// Splitting a file file_specification: the directory part ends in the last
// separator, and the pattern that is left holds none.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz.h"
#include "walk/filesystem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string file_specification(reinterpret_cast<const char*>(data), size);
  size_t length = DirectoryPartLength(file_specification);
  FUZZ_CHECK(length <= file_specification.size());
  if (length > 0)
    FUZZ_CHECK(file_specification[length - 1] == kSeparator);
  FUZZ_CHECK(file_specification.find(kSeparator, length) == std::string::npos);
  return 0;
}
