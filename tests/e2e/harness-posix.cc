#include "harness.h"

namespace e2e {

const char kSep = '/';

const std::vector<std::string> kOptionLeads = {"-"};

std::string AsWritten(std::string_view written) { return std::string(written); }

std::string LibraryWithoutEntry() { return "libc.so.6"; }

}  // namespace e2e
