#include "block/block.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "btrieve/btrieve.h"
#include "driver/options.h"
#include "driver/run_state.h"
#include "testing/failing_new.h"
#include "testing/fake_engine.h"

namespace {

// A path of exactly `length` characters, told apart by `number`.
std::string PathOfLength(size_t length, int number) {
  char head[16];
  std::snprintf(head, sizeof head, "/%d/", number);
  std::string path = head;
  path.resize(length - 4, 'x');
  return path + ".dat";
}

class BlockTest : public testing::Test {
 protected:
  void SetUp() override {
    run_options = RunOptions();
    run_state = RunState();
    name_list.clear();
    btrv_request = BtrvRequest();
    InstallFakeEngine();
    engine_data_capacity = kBlockSize;
  }

  // Stores paths of the given lengths; returns them in order.
  std::vector<std::string> Collect(const std::vector<size_t>& lengths) {
    std::vector<std::string> paths;
    for (size_t length : lengths) {
      paths.push_back(PathOfLength(length, static_cast<int>(paths.size())));
      EXPECT_TRUE(CollectName(paths.back()));
    }
    return paths;
  }
};

std::vector<size_t> Repeat(size_t count, size_t length) {
  return std::vector<size_t>(count, length);
}

std::vector<size_t> Then(std::vector<size_t> lengths,
                         std::initializer_list<size_t> more) {
  lengths.insert(lengths.end(), more);
  return lengths;
}

TEST_F(BlockTest, PacksNamesInOrderIntoListsOfAtMost57000Bytes) {
  const struct {
    const char* name;
    std::vector<size_t> lengths;
    std::vector<size_t> names_per_block;
    std::vector<uint32_t> data_lengths;
  } kCases[] = {
      {"three paths", {10, 20, 30}, {3}, {62}},
      {"one path", {12}, {1}, {12}},
      // 250 paths of 227 characters and their commas fill 57000 bytes exactly.
      {"exactly full", Repeat(250, 227), {250}, {56999}},
      {"one more starts a block", Repeat(251, 227), {250, 1}, {56999, 227}},
      // The short last path would fit the first block but keeps its place.
      {"order kept",
       Then(Repeat(249, 227), {255, 10}),
       {249, 2},
       {56771, 266}},
      {"three blocks", Repeat(501, 227), {250, 250, 1}, {56999, 56999, 227}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    SetUp();
    std::vector<std::string> paths = Collect(c.lengths);
    EXPECT_EQ(SubmitBlocks(), 1);
    ASSERT_EQ(engine_calls.size(), c.names_per_block.size());
    size_t next = 0;
    for (size_t block = 0; block < engine_calls.size(); ++block) {
      std::string text;
      for (size_t i = 0; i < c.names_per_block[block]; ++i)
        text += (i ? "," : "") + paths[next++];
      const EngineCall& call = engine_calls[block];
      EXPECT_EQ(call.operation, kOpContinuous);
      EXPECT_EQ(call.key_number, kBeginContinuous);
      EXPECT_EQ(call.data_length, c.data_lengths[block]);
      EXPECT_EQ(call.data_text, text);
    }
    EXPECT_FALSE(run_state.work_left_undone);
  }
}

TEST_F(BlockTest, NoNamesNoCall) {
  EXPECT_EQ(SubmitBlocks(), 1);
  EXPECT_TRUE(engine_calls.empty());
  EXPECT_FALSE(run_state.work_left_undone);
}

TEST_F(BlockTest, TraceShowsEachBlockBeforeItIsSent) {
  run_options.debug = true;
  Collect({10, 20});
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  EXPECT_EQ(SubmitBlocks(), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Processing block <" + PathOfLength(10, 0) + "," +
                PathOfLength(20, 1) + ">");
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Op: 42, Buflen: 31, KeyNum: 0 Status: 0\n");
}

TEST_F(BlockTest, RefusedBlockStopsTheSubmission) {
  const struct {
    const char* name;
    int refused_call;    // counted from 0
    const char* answer;  // written into the buffer by the engine, or null
  } kCases[] = {
      {"first, with the engine's text", 0, "File is locked"},
      {"first, as sent", 0, nullptr},
      {"later", 1, "second one refused"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    SetUp();
    std::vector<std::string> paths = Collect(Repeat(751, 227));
    int call_number = 0;
    engine_script = [&](const EngineCall&, EngineBuffers buffers) {
      if (call_number++ != c.refused_call)
        return 0;
      if (c.answer)
        std::strcpy(buffers.data_buffer, c.answer);
      return 5;
    };
    testing::internal::CaptureStdout();
    EXPECT_EQ(SubmitBlocks(), 0);
    std::string shown = c.answer ? c.answer : engine_calls.back().data_text;
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error found at <" + shown + ">\r\n");
    EXPECT_EQ(engine_calls.size(), static_cast<size_t>(c.refused_call + 1));
    EXPECT_TRUE(run_state.work_left_undone);
  }
}

TEST_F(BlockTest, RefusalTextWithoutNulIsShownOnlyUpToTheBuffersEnd) {
  Collect({10});
  engine_script = [](const EngineCall&, EngineBuffers buffers) {
    std::memset(buffers.data_buffer, 'Z', kBlockSize);
    return 2;
  };
  testing::internal::CaptureStdout();
  EXPECT_EQ(SubmitBlocks(), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Error found at <" + std::string(kBlockSize, 'Z') + ">\r\n");
}

TEST_F(BlockTest, NoMemoryForTheBlockBuffer) {
  Collect({10});
  fail_allocation_of_size = kBlockSize;
  testing::internal::CaptureStderr();
  EXPECT_EQ(SubmitBlocks(), 0);
  fail_allocation_of_size = 0;
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Unable to allocate 57000 bytes for file name!\r\n");
  EXPECT_TRUE(engine_calls.empty());
  EXPECT_TRUE(run_state.work_left_undone);
}

TEST_F(BlockTest, NoMemoryForOneNameRefusesThatNameAlone) {
  // 101 bytes is no size the list itself asks for.
  std::string path = PathOfLength(100, 1);
  fail_allocation_of_size = path.size() + 1;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(CollectName(path));
  fail_allocation_of_size = 0;
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Unable to allocate 101 bytes for file name!\r\n");
  EXPECT_TRUE(name_list.empty());
  EXPECT_TRUE(run_state.work_left_undone);

  EXPECT_TRUE(CollectName(path));
  EXPECT_EQ(name_list, std::vector<std::string>{path});
}

TEST_F(BlockTest, StoresAtMost2000Names) {
  for (int i = 0; i < 2000; ++i)
    ASSERT_TRUE(CollectName(PathOfLength(20, i)));
  EXPECT_FALSE(run_state.work_left_undone);

  testing::internal::CaptureStderr();
  EXPECT_FALSE(CollectName(PathOfLength(20, 2000)));
  EXPECT_FALSE(CollectName(PathOfLength(20, 2001)));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Unable to store more than 2000 file names!\r\n"
            "Unable to store more than 2000 file names!\r\n");
  EXPECT_EQ(name_list.size(), 2000u);
  EXPECT_EQ(name_list.back(), PathOfLength(20, 1999));
  EXPECT_TRUE(run_state.work_left_undone);
  EXPECT_TRUE(engine_calls.empty());
}

// Open answers `open_status` and leaves its mark in the position block.
EngineScript OpenAnswers(int open_status) {
  return [=](const EngineCall& call, EngineBuffers buffers) {
    if (call.operation != kOpOpen)
      return 0;
    std::memset(buffers.position_block, 0x5A, 128);
    return open_status;
  };
}

TEST_F(BlockTest, OpenCheckProbesBeforeStoring) {
  run_options.open_check = true;
  const struct {
    int open_status;
    bool stored;
    std::vector<uint16_t> operations;
  } kCases[] = {
      {0, true, {kOpOpen, kOpClose}},
      {51, true, {kOpOpen}},
      {30, false, {kOpOpen}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.open_status);
    name_list.clear();
    InstallFakeEngine();
    engine_script = OpenAnswers(c.open_status);
    testing::internal::CaptureStderr();
    EXPECT_EQ(CollectName("/d/file.dat"), c.stored);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(name_list.size(), c.stored ? 1u : 0u);
    std::vector<uint16_t> operations;
    for (const EngineCall& call : engine_calls)
      operations.push_back(call.operation);
    EXPECT_EQ(operations, c.operations);
    EXPECT_EQ(std::string(engine_calls[0].key.c_str()), "/d/file.dat");
    if (operations.size() == 2) {
      std::array<uint8_t, 128> opened;
      opened.fill(0x5A);
      EXPECT_EQ(engine_calls[1].position_block, opened);
    }
  }
  EXPECT_FALSE(run_state.work_left_undone);
}

TEST_F(BlockTest, OpenCheckComesBeforeTheLimit) {
  for (int i = 0; i < 2000; ++i)
    ASSERT_TRUE(CollectName(PathOfLength(20, i)));
  run_options.open_check = true;
  const struct {
    int open_status;
    size_t calls;
    const char* message;
  } kCases[] = {
      {0, 2, "Unable to store more than 2000 file names!\r\n"},
      {51, 1, "Unable to store more than 2000 file names!\r\n"},
      {30, 1, ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.open_status);
    InstallFakeEngine();
    engine_script = OpenAnswers(c.open_status);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(CollectName("/d/late.dat"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.message);
    EXPECT_EQ(engine_calls.size(), c.calls);
  }
  EXPECT_EQ(name_list.size(), 2000u);
}

}  // namespace
