// Block packing against an engine that answers anything: any status, any
// bytes written into the block, with or without a NUL, any length back.
// The fake engine checks every block it is handed.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "block/block.h"
#include "btrieve/btrieve.h"
#include "driver/options.h"
#include "driver/run_state.h"
#include "fuzz.h"

namespace {

FuzzedDataProvider* answers;
size_t next_name;    // index in name_list of the next name a block must hold
size_t last_length;  // data length of the block before
bool refused;

int BTRIEVE_CALLCONV FakeEngine(uint16_t operation, void*, void* data_buffer,
                                uint32_t* data_length, void*, uint8_t,
                                int8_t key_number, uint8_t*) {
  FUZZ_CHECK(operation == kOpContinuous && key_number == kBeginContinuous);
  FUZZ_CHECK(!refused);
  char* block = static_cast<char*>(data_buffer);
  size_t length = *data_length;
  FUZZ_CHECK(length + 1 <= kBlockSize);
  FUZZ_CHECK(block[length] == '\0');
  FUZZ_CHECK(std::memchr(block, '\0', length) == nullptr);
  FUZZ_CHECK(length > 0 && block[length - 1] != ',');
  // The block before was full: this block's first name did not fit in it.
  if (next_name > 0)
    FUZZ_CHECK(last_length + 1 + name_list[next_name].size() + 1 > kBlockSize);
  last_length = length;

  std::string text(block, length);
  size_t start = 0;
  for (;;) {
    size_t comma = text.find(',', start);
    FUZZ_CHECK(next_name < name_list.size());
    FUZZ_CHECK(text.substr(start, comma - start) == name_list[next_name]);
    ++next_name;
    if (comma == std::string::npos)
      break;
    start = comma + 1;
  }

  // The engine's answer. It may scribble over the whole buffer it was
  // lent, which is kBlockSize bytes, and leave no NUL in it.
  int status = answers->ConsumeIntegral<int>();
  if (answers->ConsumeBool()) {
    size_t count = answers->ConsumeIntegralInRange<size_t>(0, kBlockSize);
    std::memset(block, answers->ConsumeIntegral<char>(), count);
  }
  *data_length = answers->ConsumeIntegral<uint32_t>();
  refused = static_cast<uint16_t>(status) != 0;
  return status;
}

// Names as the walk hands them over: at most 255 bytes, no comma, no NUL.
// Two input bytes each, so two thousand of them fit in one input; an
// exhausted input gives the longest names, which fill blocks fastest.
std::string MakeName(FuzzedDataProvider& input, size_t index) {
  size_t length =
      kMaxEnginePath - input.ConsumeIntegralInRange<size_t>(0, kMaxEnginePath - 1);
  char filler = input.ConsumeIntegral<char>();
  if (filler == ',' || filler == '\0')
    filler = '_';
  std::string name = "/" + std::to_string(index) + "/";
  name.resize(length, filler);
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // "Error found at" lines can be 57000 bytes; the checks are what counts.
  if (!std::freopen("/dev/null", "w", stdout))
    return 1;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  run_options = RunOptions();
  run_state = RunState();
  name_list.clear();
  btrieve_entry = FakeEngine;
  next_name = 0;
  last_length = 0;
  refused = false;

  size_t count = input.ConsumeIntegralInRange<size_t>(0, kMaxNames);
  for (size_t i = 0; i < count; ++i)
    FUZZ_CHECK(CollectName(MakeName(input, i)));
  answers = &input;
  int result = SubmitBlocks();

  // Every name went out unless a block was refused; nothing after it did.
  FUZZ_CHECK(result == (refused ? 0 : 1));
  if (!refused)
    FUZZ_CHECK(next_name == name_list.size());
  FUZZ_CHECK(run_state.work_left_undone == refused);
  return 0;
}
