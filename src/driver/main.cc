// HOLDFAST: places database files into continuous operation before a backup,
// and ends it again afterwards.

#include <cstdio>
#include <string>
#include <vector>

#include "btrieve/btrieve.h"
#include "driver/options.h"
#include "driver/search.h"

namespace {

// Written with "/" before each option letter; shown with the lead that works.
const char kUsage[] =
    "\nUsage: HOLDFAST <filespec> [/B] [/O] [/M] [/N<VolName>] [/S]\n"
    "This command places each Btrieve file from <filespec> into Continuous "
    "Mode.\n"
    "    /B ==> Processes Blocks of Files (Default is One File at a Time).\n"
    "    /O ==> Open Each File While Scanning (Slower, but less prone to "
    "errors).\n"
    "    /M ==> Displays File Names (Messages) During Processing.\n"
    "    /N ==> NetWare Mode: Send a file list to StdOut with provided Volume "
    "name.\n"
    "    /S ==> Recurses Subdirectories Looking for <filespec>.\n\n"
    "Usage: HOLDFAST /E\n"
    "The second form of the command removes all HOLDFAST files from "
    "Continuous Mode.\n"
    "    /E ==> Removes All Files From Continuous Mode.\n";

void WriteUsage() {
  std::string usage = kUsage;
  for (char& c : usage)
    if (c == '/')
      c = kUsageOptionLead;
  std::fputs(usage.c_str(), stderr);
}

int EndMode() {
  std::printf("Terminating Continuous Operations Mode...");
  int status = ENDBU();
  if (status != 0)
    std::printf("Status %d On ENDBU Function!\r\n", status);
  else
    std::printf("Success!\r\n");
  ResetClient();
  // A backup script must be able to tell that files stay in continuous
  // operation.
  return status != 0 ? 4 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    WriteUsage();
    return 1;
  }
  std::vector<std::string> args(argv + 1, argv + argc);
  run_options = ReadOptions(args);
  if (!LoadClientLibrary())
    return 3;
  if (run_options.end)
    return EndMode();
  return SearchRun(args[0]);
}
