// What a search run knows while it runs.
#pragma once

#include <string>

struct RunState {
  int file_count = 0;
  std::string file_specification;
  std::string pattern;
  std::string start_directory;
  bool directory_given = false;
  std::string saved_directory;
  // Set when the run reported work it left undone; the exit status says so.
  bool work_left_undone = false;
};

extern RunState run_state;
