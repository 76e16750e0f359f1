#include "harness.h"

namespace e2e {

const char kSep = '\\';

const std::vector<std::string> kOptionLeads = {"-", "/"};

std::string AsWritten(std::string_view written) {
  std::string out;
  for (char c : written) {
    if (c == '\n')
      out += '\r';
    out += c;
  }
  return out;
}

std::string LibraryWithoutEntry() { return "kernel32.dll"; }

}  // namespace e2e
