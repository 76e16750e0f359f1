#include "block/block.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "btrieve/btrieve.h"
#include "driver/options.h"
#include "driver/run_state.h"

std::vector<std::string> name_list;

namespace {

// Sends the `fill` bytes of `block` as one list; the trailing comma becomes
// the NUL that ends it.
bool FlushBlock(char* block, size_t fill) {
  block[fill - 1] = '\0';
  if (run_options.debug)
    std::fprintf(stderr, "Processing block <%s>", block);
  return BeginFileList(block, static_cast<uint16_t>(fill - 1)) == 0;
}

}  // namespace

bool CollectName(const std::string& full_path) {
  if (run_options.open_check && !ProbeFile(full_path))
    return false;
  if (name_list.size() == kMaxNames) {
    std::fprintf(stderr, "Unable to store more than %d file names!\r\n",
                 static_cast<int>(kMaxNames));
    run_state.work_left_undone = true;
    return false;
  }
  try {
    name_list.push_back(full_path);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "Unable to allocate %d bytes for file name!\r\n",
                 static_cast<int>(full_path.size() + 1));
    run_state.work_left_undone = true;
    return false;
  }
  return true;
}

int SubmitBlocks() {
  if (name_list.empty())
    return 1;
  std::vector<char> block;
  try {
    block.resize(kBlockSize);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "Unable to allocate %d bytes for file name!\r\n",
                 static_cast<int>(kBlockSize));
    run_state.work_left_undone = true;
    return 0;
  }
  size_t fill = 0;
  bool accepted = true;
  for (const std::string& name : name_list) {
    if (fill + name.size() + 1 > kBlockSize) {
      accepted = FlushBlock(block.data(), fill);
      if (!accepted)
        break;
      fill = 0;
    }
    std::memcpy(block.data() + fill, name.data(), name.size());
    fill += name.size();
    block[fill++] = ',';
  }
  if (accepted && FlushBlock(block.data(), fill))
    return 1;

  // The engine may have written its own text there, with or without a NUL.
  std::printf("Error found at <%.*s>\r\n", static_cast<int>(kBlockSize),
              block.data());
  run_state.work_left_undone = true;
  return 0;
}
