// The search run in one directory: messages, the size test, the engine
// calls, NetWare lines and the safety rules.
#include <gtest/gtest.h>

#include <algorithm>

#include "harness.h"

namespace e2e {
namespace {

std::vector<std::string> Sorted(std::vector<std::string> items) {
  std::sort(items.begin(), items.end());
  return items;
}

// A directory argument as the program prints it: with its separator.
std::string Dir(const Sandbox& box, std::string_view relative) {
  return box.Path(relative) + kSep;
}

TEST(SearchRun, MessagesOfAOneFileRunByteForByte) {
  Sandbox box;
  box.Btrieve("d/a.dat");
  Outcome run = box.Run({box.Path("d/*.dat"), "-M"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.err, AsWritten(Header("*.dat") + Spinner(1) +
                               "Processing File " + box.Path("d/a.dat") +
                               "...\n" + Completion(1)));
  EXPECT_EQ(run.out, "");
  std::vector<Call> calls = box.Journal();
  ASSERT_EQ(Operations(calls), (std::vector<int>{42, 28}));
  EXPECT_EQ(calls[0].key_number, 0);
  EXPECT_EQ(calls[0].data, BeginData(box.Path("d/a.dat")));
  EXPECT_EQ(calls[0].length, box.Path("d/a.dat").size() + 1);
  EXPECT_EQ(calls[0].client, kClientHex);
  EXPECT_EQ(calls[1].length, 4u);
  EXPECT_EQ(box.Held(), std::vector<std::string>{box.Path("d/a.dat")});
}

TEST(SearchRun, CompletionLineCountsFiles) {
  for (int count : {0, 1, 2, 5}) {
    SCOPED_TRACE(count);
    Sandbox box;
    box.Directory("d");
    for (int i = 0; i < count; ++i)
      box.Btrieve("d/f" + std::to_string(i) + ".dat");
    Outcome run = box.Run({box.Path("d/*.dat")});
    EXPECT_EQ(run.exit_code, 0);
    // The spinner turns once per file and wraps after its fourth character.
    EXPECT_EQ(run.err,
              AsWritten(Header("*.dat") + Spinner(count) + Completion(count)));
    EXPECT_EQ(BegunNames(box.Journal()).size(), static_cast<size_t>(count));
  }
}

TEST(SearchRun, SizeTestKeepsWholeMultiplesOf512FromOn1536) {
  struct Size {
    uint64_t bytes;
    bool handled;
  };
  const Size sizes[] = {{0, false},    {512, false},  {1024, false},
                        {1536, true},  {1600, false}, {2048, true},
                        {4096, true}};
  Sandbox box;
  std::vector<std::string> handled;
  for (Size size : sizes) {
    std::string name = "d/s" + std::to_string(size.bytes) + ".dat";
    box.Btrieve(name, size.bytes);
    if (size.handled)
      handled.push_back(box.Path(name));
  }
  Outcome run = box.Run({box.Path("d/*.dat"), "-M"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_TRUE(run.err.starts_with(AsWritten(Header("*.dat"))));
  EXPECT_TRUE(run.err.ends_with(AsWritten(Completion(3)))) << run.err;
  // Every matching file is named, the size test comes after.
  for (Size size : sizes) {
    std::string line = "Processing File " +
                       box.Path("d/s" + std::to_string(size.bytes) + ".dat") +
                       "...\n";
    EXPECT_NE(run.err.find(AsWritten(line)), std::string::npos) << line;
  }
  EXPECT_EQ(Sorted(BegunNames(box.Journal())), Sorted(handled));
  EXPECT_EQ(Sorted(box.Held()), Sorted(handled));
}

TEST(SearchRun, FilesOf4GiBAreTestedOnTheirFullSize) {
  struct Size {
    uint64_t bytes;
    bool handled;
  };
  const uint64_t k4GiB = uint64_t{1} << 32;
  const Size sizes[] = {
      {k4GiB, true}, {k4GiB + 512, true}, {k4GiB + 100, false}};
  for (Size size : sizes) {
    SCOPED_TRACE(size.bytes);
    Sandbox box;
    box.Btrieve("d/big.dat", size.bytes);
    Outcome run = box.Run({box.Path("d/*.dat"), "-D"});
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_NE(run.err.find(AsWritten("Searching: " + Dir(box, "d") + "big.dat [" +
                                     std::to_string(size.bytes) + "]\r\n")),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(run.err.ends_with(AsWritten(Completion(size.handled ? 1 : 0))));
    if (size.handled)
      EXPECT_EQ(box.Held(), std::vector<std::string>{box.Path("d/big.dat")});
    else
      EXPECT_TRUE(BegunNames(box.Journal()).empty());
  }
}

TEST(SearchRun, TraceLinesOnBothStreams) {
  Sandbox box;
  box.Btrieve("d/a.dat");
  Outcome run = box.Run({box.Path("d/*.dat"), "-D"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.err, AsWritten(Header("*.dat") + Spinner(1) + "Searching: " +
                               Dir(box, "d") + "a.dat [2048]\r\n" +
                               Completion(1)));
  std::string begin_length = std::to_string(box.Path("d/a.dat").size() + 1);
  EXPECT_EQ(run.out,
            AsWritten("Op: 42, Buflen: " + begin_length +
                      ", KeyNum: 0 Status: 0\n"
                      "Op: 28, Buflen: 4, KeyNum: 0 Status: 0\n"));
}

// Relative file specifications name the files found: the engine gets absolute
// paths, with and without recursion.
TEST(SearchRun, RelativeSpecificationsReachTheEngineAbsolute) {
  struct Case {
    const char* cwd;
    std::string filespec;
    bool recurse;
    std::vector<std::string> begun;
  };
  const Case cases[] = {
      {"", "d/*.dat", false, {"d/a.dat"}},
      {"", "d/*.dat", true, {"d/a.dat", "d/sub/b.dat"}},
      {"d", "*.dat", false, {"d/a.dat"}},
      {"d", "*.dat", true, {"d/a.dat", "d/sub/b.dat"}},
      {"d/sub", "../*.dat", false, {"d/a.dat"}},
  };
  for (const Case& c : cases) {
    Sandbox box;
    box.Btrieve("d/a.dat");
    box.Btrieve("d/sub/b.dat");
    std::string filespec = c.filespec;
    std::replace(filespec.begin(), filespec.end(), '/', kSep);
    SCOPED_TRACE(std::string(c.cwd) + " " + filespec + (c.recurse ? " -S" : ""));
    RunSettings settings;
    settings.cwd = box.Path(c.cwd);
    std::vector<std::string> args = {filespec};
    if (c.recurse)
      args.push_back("-S");
    Outcome run = box.Run(args, settings);
    EXPECT_EQ(run.exit_code, 0) << run.err;
    std::vector<std::string> expected;
    for (const std::string& relative : c.begun)
      expected.push_back(box.Path(relative));
    std::vector<std::string> begun = BegunNames(box.Journal());
    // "../" may stay in the path; it must name the same file.
    for (std::string& name : begun) {
      std::string up = kSepText + "d" + kSepText + "sub" + kSepText + ".." + kSepText;
      size_t at = name.find(up);
      if (at != std::string::npos)
        name.replace(at, up.size(), kSepText + "d" + kSepText);
    }
    EXPECT_EQ(Sorted(begun), Sorted(expected));
    EXPECT_TRUE(run.err.ends_with(AsWritten(Completion(
        static_cast<int>(expected.size())))))
        << run.err;
  }
}

TEST(SearchRun, SpecificationEndingInSeparatorMatchesNothing) {
  Sandbox box;
  box.Btrieve("d/a.dat");
  Outcome run = box.Run({Dir(box, "d")});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.err, AsWritten(Header("") + Completion(0)));
  EXPECT_EQ(Operations(box.Journal()), std::vector<int>{28});
}

TEST(SearchRun, StartDirectoryThatDoesNotExist) {
  Sandbox box;
  Outcome run = box.Run({box.Path("none/*.dat")});
  EXPECT_EQ(run.exit_code, 4);
  EXPECT_EQ(run.err, AsWritten(Header("*.dat") + "Unable to set directory to <" +
                               Dir(box, "none") + ">.\n"));
  EXPECT_EQ(Operations(box.Journal()), std::vector<int>{28});
}

std::string NetWarePath(const std::string& path) {
  bool has_drive = path.size() >= 2 && path[1] == ':';
  return has_drive ? path.substr(2) : path;
}

TEST(SearchRun, NetWareListsFilesAndCallsOnlyReset) {
  struct Case {
    const char* option;
    const char* volume;
  };
  for (Case c : {Case{"-NSYS", "SYS"}, Case{"-N", ""},
                 Case{"-nVOL1", "VOL1"}}) {
    SCOPED_TRACE(c.option);
    Sandbox box;
    box.Btrieve("d/a.dat");
    box.Plain("d/small.dat", 100);
    Outcome run = box.Run({box.Path("d/*.dat"), c.option});
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.out, AsWritten(std::string(c.volume) + ":" +
                                 NetWarePath(box.Path("d/a.dat")) + "\n"));
    EXPECT_TRUE(run.err.ends_with(AsWritten(Completion(1))));
    EXPECT_EQ(Operations(box.Journal()), std::vector<int>{28});
  }
}

TEST(SearchRun, TwoNetWareOptionsTheFrontOneWins) {
  Sandbox box;
  box.Btrieve("d/a.dat");
  Outcome run = box.Run({box.Path("d/*.dat"), "-NFRONT", "-NBACK"});
  EXPECT_EQ(run.out,
            AsWritten("FRONT:" + NetWarePath(box.Path("d/a.dat")) + "\n"));
}

// A name of `length` characters ending in ".dat".
std::string NameOfLength(size_t length) {
  return std::string(length - 4, 'n') + ".dat";
}

TEST(SearchRun, PathsTheEngineCannotTakeAreSkipped) {
  Sandbox box;
  size_t room = 255 - box.Path("d/").size();
  std::string longest = "d/" + NameOfLength(room);
  std::string too_long = "d/" + NameOfLength(room + 1);
  std::string comma = "d/a,b.dat";
  box.Btrieve(longest);
  box.Btrieve(too_long);
  box.Btrieve(comma);
  ASSERT_EQ(box.Path(longest).size(), 255u);

  Outcome run = box.Run({box.Path("d/*.dat")});
  EXPECT_EQ(run.exit_code, 4);
  EXPECT_NE(run.err.find(AsWritten("Skipping <" + box.Path(too_long) +
                                   ">: path longer than 255 characters.\n")),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find(AsWritten(
                "Skipping <" + box.Path(comma) +
                ">: a comma in the path cannot be passed to Btrieve.\n")),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(run.err.ends_with(AsWritten(Completion(1))));
  EXPECT_EQ(BegunNames(box.Journal()),
            std::vector<std::string>{box.Path(longest)});

  // A NetWare list sends nothing to the engine: nothing to skip.
  Sandbox listed;
  listed.Btrieve("d/" + NameOfLength(256 - listed.Path("d/").size()));
  listed.Btrieve(comma);
  Outcome netware = listed.Run({listed.Path("d/*.dat"), "-NSYS"});
  EXPECT_EQ(netware.exit_code, 0);
  EXPECT_EQ(netware.err.find("Skipping"), std::string::npos);
  EXPECT_NE(netware.out.find(AsWritten("SYS:" + NetWarePath(listed.Path(comma)) +
                                       "\n")),
            std::string::npos);
  EXPECT_TRUE(netware.err.ends_with(AsWritten(Completion(2))));
}

TEST(SearchRun, RefusedBeginLeavesFileUncountedAndStatusZero) {
  Sandbox box;
  box.Btrieve("d/a.dat");
  box.Plain("d/plain.dat", 2048);
  box.Btrieve("d/refused.dat");
  RunSettings settings;
  settings.faults = "op=42 keynum=0 match=refused status=85";
  Outcome run = box.Run({box.Path("d/*.dat")}, settings);
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_TRUE(run.err.ends_with(AsWritten(Completion(1)))) << run.err;
  EXPECT_EQ(Sorted(BegunNames(box.Journal())),
            Sorted({box.Path("d/a.dat"), box.Path("d/plain.dat"),
                    box.Path("d/refused.dat")}));
  EXPECT_EQ(box.Held(), std::vector<std::string>{box.Path("d/a.dat")});
  EXPECT_EQ(Operations(box.Journal()).back(), 28);
}

}  // namespace
}  // namespace e2e
