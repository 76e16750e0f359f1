#include "driver/options.h"

#include <cctype>

RunOptions run_options;

RunOptions ReadOptions(const std::vector<std::string>& args) {
  RunOptions options;
  for (auto arg = args.rbegin(); arg != args.rend(); ++arg) {
    if (arg->size() < 2 || !IsOptionLead((*arg)[0]))
      continue;
    switch (std::toupper(static_cast<unsigned char>((*arg)[1]))) {
      case 'B': options.block = true; break;
      case 'O': options.open_check = true; break;
      case 'M': options.messages = true; break;
      case 'S': options.recurse = true; break;
      case 'E': options.end = true; break;
      case 'D': options.debug = true; break;
      case 'N':
        options.netware = true;
        options.volume_name = arg->substr(2);
        break;
    }
  }
  return options;
}
