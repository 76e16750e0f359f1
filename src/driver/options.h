// The command-line switches of a run.
#pragma once

#include <string>
#include <vector>

struct RunOptions {
  bool block = false;       // B: collect the files, then submit them in blocks
  bool open_check = false;  // O: in block mode, keep only files the engine opens
  bool messages = false;    // M: a "Processing File" line per matching file
  bool netware = false;     // N: list the files with the volume name instead
  bool recurse = false;     // S: walk subdirectories too
  bool end = false;         // E: end continuous operation
  bool debug = false;       // D: trace lines
  std::string volume_name;
};

extern RunOptions run_options;

// Reads the options from the last argument back to the first, so the N
// option nearest the front wins. `args` excludes the program name.
RunOptions ReadOptions(const std::vector<std::string>& args);

// Whether `c` starts an option on this platform.
bool IsOptionLead(char c);

// The option lead shown in the usage text: the one that works here.
extern const char kUsageOptionLead;
