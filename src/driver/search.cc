#include "driver/search.h"

#include <cstdio>

#include "block/block.h"
#include "btrieve/btrieve.h"
#include "driver/options.h"
#include "driver/run_state.h"
#include "walk/console.h"
#include "walk/filesystem.h"
#include "walk/walk.h"

RunState run_state;

int SearchRun(const std::string& file_specification) {
  run_state.file_specification = file_specification;
  size_t directory_length = DirectoryPartLength(file_specification);
  run_state.directory_given = directory_length > 0;
  run_state.start_directory = file_specification.substr(0, directory_length);
  run_state.pattern = file_specification.substr(directory_length);

  BufferErrorOutput();
  std::fprintf(stderr, "Searching for <%s>...\n", run_state.pattern.c_str());
  std::fprintf(stderr, "Press <Esc> to terminate HOLDFAST.\n");

  if (ReadCurrentDirectory(&run_state.saved_directory) &&
      run_state.saved_directory.back() != kSeparator)
    run_state.saved_directory += kSeparator;
  // Absolute before the walk moves: subdirectory paths and the paths the
  // engine gets must not depend on where the walk happens to stand.
  std::string start = run_state.directory_given
                          ? AbsoluteDirectory(run_state.start_directory)
                          : run_state.saved_directory;

  StartConsoleKeys();
  int result = WalkDirectory(start);
  StopConsoleKeys();
  ChangeDirectory(run_state.saved_directory);

  if (run_options.block)
    result = SubmitBlocks();
  if (result != WALK_STOPPED)
    std::fprintf(stderr, "\nHOLDFAST Complete for %d File%s\n",
                 run_state.file_count, run_state.file_count == 1 ? "." : "s.");
  ResetClient();
  return run_state.work_left_undone ? 4 : 0;
}
