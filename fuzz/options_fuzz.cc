// Arguments as NUL-separated bytes: reading them never fails, only an
// option lead switches end mode on, and the frontmost N names the volume.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "driver/options.h"
#include "fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '\0')
      args.emplace_back();
    else
      args.back() += static_cast<char>(data[i]);
  }
  RunOptions options = ReadOptions(args);

  bool netware = false;
  std::string volume;
  for (const std::string& arg : args) {
    if (arg.size() < 2 || !IsOptionLead(arg[0]) ||
        std::toupper(static_cast<unsigned char>(arg[1])) != 'N')
      continue;
    netware = true;
    volume = arg.substr(2);
    break;
  }
  FUZZ_CHECK(options.netware == netware);
  FUZZ_CHECK(options.volume_name == volume);
  bool end = false;
  for (const std::string& arg : args)
    end = end || (arg.size() >= 2 && IsOptionLead(arg[0]) &&
                  std::toupper(static_cast<unsigned char>(arg[1])) == 'E');
  FUZZ_CHECK(options.end == end);
  return 0;
}
