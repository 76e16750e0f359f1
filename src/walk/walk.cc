#include "walk/walk.h"

#include <cctype>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "block/block.h"
#include "btrieve/btrieve.h"
#include "driver/options.h"
#include "driver/run_state.h"
#include "walk/console.h"
#include "walk/filesystem.h"

namespace {

constexpr uint64_t kMinimumSize = 1536;
constexpr uint64_t kSizeUnit = 512;

const char kSpinner[] = "-\\|/";
int spinner_index = 0;

// Standard error may be held back (see BufferErrorOutput); the spinner is
// pushed out a few times a second so a person sees it turn. The clock is
// read only every so many steps.
constexpr int kStepsPerClockRead = 64;
constexpr auto kSpinnerFlushInterval = std::chrono::milliseconds(100);
int steps_since_clock_read = 0;
std::chrono::steady_clock::time_point last_spinner_flush;

// Reused for every file, so handling a file allocates nothing.
std::string full_path;

bool EscPressed() {
  if (PollKey() != kEscKey)
    return false;
  std::fprintf(stderr, "HOLDFAST Terminated Early.\n");
  return true;
}

bool MightBeBtrieveFile(uint64_t size) {
  return size >= kMinimumSize && size % kSizeUnit == 0;
}

[[noreturn]] void OutOfMemoryForDirectory(Listing& listing) {
  std::fprintf(stderr, "Error allocating memory for directory.\n");
  listing.reset();
  ResetClient();
  std::exit(2);
}

}  // namespace

void ShowSpinner() {
  std::putc(kSpinner[spinner_index], stderr);
  std::putc(8, stderr);
  spinner_index = (spinner_index + 1) % 4;
  if (++steps_since_clock_read < kStepsPerClockRead)
    return;
  steps_since_clock_read = 0;
  auto now = std::chrono::steady_clock::now();
  if (now - last_spinner_flush >= kSpinnerFlushInterval) {
    std::fflush(stderr);
    last_spinner_flush = now;
  }
}

std::string NetWareLine(const std::string& volume_name,
                        const std::string& full_path) {
  bool has_drive = full_path.size() >= 2 && full_path[1] == ':' &&
                   std::isalpha(static_cast<unsigned char>(full_path[0]));
  return volume_name + ":" + full_path.substr(has_drive ? 2 : 0);
}

bool PathReachesEngine(const std::string& full_path) {
  if (full_path.size() > kMaxEnginePath)
    std::fprintf(stderr, "Skipping <%s>: path longer than 255 characters.\n",
                 full_path.c_str());
  else if (full_path.find(',') != std::string::npos)
    std::fprintf(stderr,
                 "Skipping <%s>: a comma in the path cannot be passed to "
                 "Btrieve.\n",
                 full_path.c_str());
  else
    return true;
  run_state.work_left_undone = true;
  return false;
}

bool HandleFile(const std::string& full_path) {
  if (run_options.netware) {
    // A terminal shows standard output at once; what came before on
    // standard error must be there first.
    if (OutputIsTerminal())
      std::fflush(stderr);
    std::printf("%s\n", NetWareLine(run_options.volume_name, full_path).c_str());
    return true;
  }
  return BeginOneFile(full_path) == 0;
}

int WalkDirectory(const std::string& directory) {
  if (EscPressed())
    return WALK_STOPPED;
  if (!ChangeDirectory(directory)) {
    std::fprintf(stderr, "Unable to set directory to <%s>.\n", directory.c_str());
    run_state.work_left_undone = true;
    return WALK_STOPPED;
  }

  // A NetWare list names files; it sends nothing to the engine.
  bool to_engine = run_options.block || !run_options.netware;
  DirEntry entry;
  Listing listing = OpenListing(run_state.pattern);
  while (listing && NextMatch(listing.get(), &entry)) {
    if (entry.is_directory)
      continue;
    ShowSpinner();
    if (EscPressed())
      return WALK_STOPPED;
    if (run_options.debug)
      std::fprintf(stderr, "Searching: %s%s [%" PRIu64 "]\r\n",
                   directory.c_str(), entry.name.c_str(), entry.size);
    full_path.assign(directory).append(entry.name);
    if (run_options.messages)
      std::fprintf(stderr, "Processing File %s...\n", full_path.c_str());
    if (!MightBeBtrieveFile(entry.size))
      continue;
    if (to_engine && !PathReachesEngine(full_path))
      continue;
    bool counted = run_options.block ? CollectName(full_path)
                                     : HandleFile(full_path);
    if (counted)
      ++run_state.file_count;
  }

  if (!run_options.recurse)
    return WALK_DONE;
  if (run_options.debug)
    std::fprintf(stderr, "Looking for Directories...\r\n");
  if (!listing)
    return WALK_DONE;
  size_t others = 0;
  for (;;) {
    bool found = NextDirectory(listing.get(), &entry, &others);
    for (; others > 0; --others)
      ShowSpinner();
    if (!found)
      return WALK_DONE;
    ShowSpinner();
    if (run_options.debug)
      std::fprintf(stderr, "Found Directory <%s>.\r\n", entry.name.c_str());
    // Links and junctions are never followed: they can loop, or leave the tree.
    if (entry.name[0] == '.' || entry.is_directory_link)
      continue;
    std::string subdirectory;
    try {
      subdirectory.reserve(directory.size() + entry.name.size() + 1);
    } catch (const std::bad_alloc&) {
      OutOfMemoryForDirectory(listing);
    }
    subdirectory.append(directory).append(entry.name) += kSeparator;
    if (WalkDirectory(subdirectory) == WALK_STOPPED)
      return WALK_STOPPED;
  }
}
