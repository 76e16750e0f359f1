// Block mode with the real program and the stand-in engine: the lists sent,
// the name limit, the open check and refused blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "harness.h"

namespace e2e {
namespace {

std::vector<std::string> Sorted(std::vector<std::string> items) {
  std::sort(items.begin(), items.end());
  return items;
}

std::vector<std::string> SplitList(const std::string& list) {
  std::vector<std::string> names;
  size_t start = 0;
  for (;;) {
    size_t comma = list.find(',', start);
    names.push_back(list.substr(start, comma - start));
    if (comma == std::string::npos)
      return names;
    start = comma + 1;
  }
}

std::vector<Call> BlockCalls(const std::vector<Call>& calls) {
  std::vector<Call> blocks;
  for (const Call& call : calls) {
    if (call.op == 42)
      blocks.push_back(call);
  }
  return blocks;
}

// Every name in the blocks, in the order sent.
std::vector<std::string> NamesSent(const std::vector<Call>& blocks) {
  std::vector<std::string> names;
  for (const Call& block : blocks) {
    for (const std::string& name : SplitList(block.data))
      names.push_back(name);
  }
  return names;
}

// `count` Btrieve files in d/ with names of `length` characters.
std::vector<std::string> MakeFiles(const Sandbox& box, int count,
                                   size_t length, uint64_t size = 2048) {
  std::vector<std::string> paths;
  for (int i = 0; i < count; ++i) {
    char number[16];
    std::snprintf(number, sizeof number, "%05d", i);
    std::string name = number + std::string(length - 9, 'b') + ".dat";
    box.Btrieve("d/" + name, size);
    paths.push_back(box.Path("d/" + name));
  }
  return paths;
}

TEST(BlockMode, FilesGoToTheEngineAsOneCommaSeparatedList) {
  Sandbox box;
  std::vector<std::string> files = MakeFiles(box, 3, 12);
  box.Plain("d/small.dat", 1024);
  Outcome run = box.Run({box.Path("d/*.dat"), "-B"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, AsWritten(Header("*.dat") + Spinner(4) + Completion(3)));
  std::vector<Call> calls = box.Journal();
  ASSERT_EQ(Operations(calls), (std::vector<int>{42, 28}));
  EXPECT_EQ(calls[0].key_number, 0);
  EXPECT_EQ(calls[0].client, kClientHex);
  EXPECT_EQ(calls[0].length, calls[0].data.size());
  EXPECT_EQ(calls[0].length, files[0].size() * 3 + 2);
  EXPECT_EQ(Sorted(SplitList(calls[0].data)), files);
  EXPECT_EQ(Sorted(box.Held()), files);
}

TEST(BlockMode, NothingFoundSendsNoBlock) {
  Sandbox box;
  box.Directory("d");
  box.Plain("d/small.dat", 512);
  Outcome run = box.Run({box.Path("d/*.dat"), "-B"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, AsWritten(Header("*.dat") + Spinner(1) + Completion(0)));
  EXPECT_EQ(Operations(box.Journal()), std::vector<int>{28});
}

TEST(BlockMode, The2001stFileIsRefusedAndNotCounted) {
  Sandbox box;
  std::vector<std::string> files = MakeFiles(box, 2001, 12, 1536);
  Outcome run = box.Run({box.Path("d/*.dat"), "-B"});
  EXPECT_EQ(run.exit_code, 4);
  std::string limit = AsWritten("Unable to store more than 2000 file names!\r\n");
  size_t at = run.err.find(limit);
  ASSERT_NE(at, std::string::npos) << run.err.substr(0, 2000);
  EXPECT_EQ(run.err.find(limit, at + 1), std::string::npos);
  EXPECT_TRUE(run.err.ends_with(AsWritten(Completion(2000))));

  std::vector<Call> calls = box.Journal();
  EXPECT_EQ(Operations(calls).back(), 28);
  std::vector<Call> blocks = BlockCalls(calls);
  for (const Call& block : blocks)
    EXPECT_LE(block.length, 56999u);
  std::vector<std::string> sent = NamesSent(blocks);
  EXPECT_EQ(sent.size(), 2000u);
  EXPECT_EQ(std::set<std::string>(sent.begin(), sent.end()).size(), 2000u);
  EXPECT_EQ(Sorted(box.Held()), Sorted(sent));
}

TEST(BlockMode, OpenCheckKeepsOutFilesTheEngineCannotOpen) {
  Sandbox box;
  box.Btrieve("d/opens.dat");
  box.Btrieve("d/owner.dat", 2048, true);
  box.Plain("d/plain.dat", 2048);
  Outcome run = box.Run({box.Path("d/*.dat"), "-B", "-O"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.err, AsWritten(Header("*.dat") + Spinner(3) + Completion(2)));

  std::vector<Call> calls = box.Journal();
  ASSERT_EQ(calls.size(), 6u);  // three Opens, one Close, the block, Reset
  std::vector<std::string> opened;
  for (size_t i = 0; i < 4; ++i) {
    const Call& open = calls[i];
    if (open.op != 0)
      continue;
    opened.push_back(open.key);
    EXPECT_EQ(open.key_number, 0);
    bool closed = i + 1 < calls.size() && calls[i + 1].op == 1;
    if (open.key == box.Path("d/opens.dat")) {
      EXPECT_EQ(open.status, 0);
      ASSERT_TRUE(closed);
      // The engine takes the Close only with the block the Open filled.
      EXPECT_EQ(calls[i + 1].status, 0);
      EXPECT_NE(calls[i + 1].position, open.position);
      EXPECT_EQ(calls[i + 1].length, open.returned_length);
    } else if (open.key == box.Path("d/owner.dat")) {
      EXPECT_EQ(open.status, 51);
      EXPECT_FALSE(closed);
    } else {
      EXPECT_NE(open.status, 0);
      EXPECT_FALSE(closed);
    }
  }
  EXPECT_EQ(Sorted(opened), Sorted({box.Path("d/opens.dat"),
                                    box.Path("d/owner.dat"),
                                    box.Path("d/plain.dat")}));
  EXPECT_EQ(calls[4].op, 42);
  EXPECT_EQ(Sorted(SplitList(calls[4].data)),
            Sorted({box.Path("d/opens.dat"), box.Path("d/owner.dat")}));
  EXPECT_EQ(calls[5].op, 28);
}

TEST(BlockMode, RefusedBlockStopsTheSubmission) {
  const struct {
    const char* name;
    const char* fault;
    int refused_block;  // counted from 1
    const char* shown;  // null: the block as sent
  } kCases[] = {
      {"first, with the engine's text",
       "op=42 keynum=0 call=1 status=85 text=Engine\\x20says\\x20no", 1,
       "Engine says no"},
      {"later, as sent", "op=42 keynum=0 call=2 status=85", 2, nullptr},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Sandbox box;
    // Enough long paths for more than one block of 57000 bytes.
    MakeFiles(box, 300, 200 - box.Path("d/").size());
    RunSettings settings;
    settings.faults = c.fault;
    Outcome run = box.Run({box.Path("d/*.dat"), "-B"}, settings);
    EXPECT_EQ(run.exit_code, 4);
    EXPECT_TRUE(run.err.ends_with(AsWritten(Completion(300)))) << run.err;

    std::vector<Call> calls = box.Journal();
    EXPECT_EQ(Operations(calls).back(), 28);
    std::vector<Call> blocks = BlockCalls(calls);
    ASSERT_EQ(blocks.size(), static_cast<size_t>(c.refused_block));
    std::string shown = c.shown ? c.shown : blocks.back().data;
    EXPECT_EQ(run.out, AsWritten("Error found at <" + shown + ">\r\n"));
    blocks.pop_back();
    EXPECT_EQ(Sorted(box.Held()), Sorted(NamesSent(blocks)));
  }
}

TEST(BlockMode, NetWareVolumeHasNoEffect) {
  Sandbox box;
  std::vector<std::string> files = MakeFiles(box, 2, 12);
  Outcome run = box.Run({box.Path("d/*.dat"), "-B", "-NSYS"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(Operations(box.Journal()), (std::vector<int>{42, 28}));
  EXPECT_EQ(Sorted(box.Held()), files);
}

TEST(BlockMode, OpenCheckWithoutBlockModeHasNoEffect) {
  Sandbox box;
  box.Btrieve("d/a.dat");
  box.Plain("d/plain.dat", 2048);
  Outcome run = box.Run({box.Path("d/*.dat"), "-O"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_TRUE(run.err.ends_with(AsWritten(Completion(1)))) << run.err;
  EXPECT_EQ(Operations(box.Journal()), (std::vector<int>{42, 42, 28}));
  EXPECT_EQ(box.Held(), std::vector<std::string>{box.Path("d/a.dat")});
}

}  // namespace
}  // namespace e2e
