// The directory walk with recursion: order, skipped directories, the
// spinner across directories.
#include <gtest/gtest.h>

#include <algorithm>

#include "harness.h"

namespace e2e {
namespace {

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos;
       at = text.find(part, at + part.size()))
    ++n;
  return n;
}

// Files first, then each subdirectory whole before the next. Listing order
// is the platform's, so only what the rule fixes is checked.
TEST(Walk, FilesFirstThenSubdirectoriesDepthFirst) {
  Sandbox box;
  box.Btrieve("d/a1.dat");
  box.Btrieve("d/a2.dat");
  box.Btrieve("d/x/b.dat");
  box.Btrieve("d/x/y/c.dat");
  box.Btrieve("d/z/e.dat");
  Outcome run = box.Run({box.Path("d/*.dat"), "-S"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_TRUE(run.err.ends_with(AsWritten(Completion(5))));

  std::vector<std::string> begun = BegunNames(box.Journal());
  ASSERT_EQ(begun.size(), 5u);
  std::vector<std::string> top(begun.begin(), begun.begin() + 2);
  std::sort(top.begin(), top.end());
  EXPECT_EQ(top, (std::vector<std::string>{box.Path("d/a1.dat"),
                                           box.Path("d/a2.dat")}));
  std::vector<std::string> rest(begun.begin() + 2, begun.end());
  std::vector<std::string> x_first = {box.Path("d/x/b.dat"),
                                      box.Path("d/x/y/c.dat"),
                                      box.Path("d/z/e.dat")};
  std::vector<std::string> z_first = {box.Path("d/z/e.dat"),
                                      box.Path("d/x/b.dat"),
                                      box.Path("d/x/y/c.dat")};
  EXPECT_TRUE(rest == x_first || rest == z_first)
      << rest[0] << "\n" << rest[1] << "\n" << rest[2];
}

TEST(Walk, WithoutRecursionSubdirectoriesAreLeftAlone) {
  Sandbox box;
  box.Btrieve("d/a.dat");
  box.Btrieve("d/sub/b.dat");
  Outcome run = box.Run({box.Path("d/*.dat")});
  EXPECT_EQ(run.err, AsWritten(Header("*.dat") + Spinner(1) + Completion(1)));
  EXPECT_EQ(BegunNames(box.Journal()), std::vector<std::string>{box.Path("d/a.dat")});
}

// The spinner turns for every matching file and for every entry of each
// subdirectory listing, and is never reset between directories.
TEST(Walk, SpinnerKeepsTurningAcrossDirectories) {
  Sandbox box;
  box.Btrieve("d/a.dat");
  box.Btrieve("d/s/b.dat");
  Outcome run = box.Run({box.Path("d/*.dat"), "-S"});
  EXPECT_EQ(run.exit_code, 0);
  // d: a.dat; then ".", "..", "a.dat", "s" in d's full listing, with s's
  // own walk (b.dat; ".", "..", "b.dat") somewhere among them.
  EXPECT_EQ(run.err, AsWritten(Header("*.dat") + Spinner(9) + Completion(2)));
}

TEST(Walk, DotDirectoriesAreNotEntered) {
  Sandbox box;
  box.Btrieve("d/a.dat");
  box.Btrieve("d/.hidden/h.dat");
  Outcome plain = box.Run({box.Path("d/*.dat"), "-S"});
  EXPECT_EQ(plain.exit_code, 0);
  // a.dat, then ".", "..", ".hidden", "a.dat": the skipped one still turns.
  EXPECT_EQ(plain.err, AsWritten(Header("*.dat") + Spinner(5) + Completion(1)));
  EXPECT_EQ(BegunNames(box.Journal()), std::vector<std::string>{box.Path("d/a.dat")});

  Outcome traced = box.Run({box.Path("d/*.dat"), "-S", "-D"});
  EXPECT_EQ(Count(traced.err, AsWritten("Found Directory <.hidden>.\r\n")), 1u);
  EXPECT_EQ(Count(traced.err, AsWritten("Found Directory <.>.\r\n")), 1u);
  EXPECT_EQ(Count(traced.err, AsWritten("Found Directory <..>.\r\n")), 1u);
  EXPECT_EQ(Count(traced.err, AsWritten("Looking for Directories...\r\n")), 1u);
  EXPECT_EQ(traced.err.find("h.dat"), std::string::npos);
}

TEST(Walk, TraceLinesOfARecursiveRun) {
  Sandbox box;
  box.Btrieve("d/a.dat");
  box.Btrieve("d/sub/b.dat", 4096);
  Outcome run = box.Run({box.Path("d/*.dat"), "-S", "-D"});
  EXPECT_EQ(run.exit_code, 0);
  std::string d = box.Path("d") + kSep;
  std::string sub = box.Path("d/sub") + kSep;
  // Each line is written whole right after a spinner turn.
  for (const std::string& line :
       {"Searching: " + d + "a.dat [2048]\r\n",
        "Searching: " + sub + "b.dat [4096]\r\n",
        std::string("Found Directory <sub>.\r\n")}) {
    EXPECT_EQ(Count(run.err, AsWritten(line)), 1u) << line;
  }
  EXPECT_EQ(Count(run.err, AsWritten("Looking for Directories...\r\n")), 2u);
  EXPECT_EQ(Count(run.err, AsWritten("Found Directory <.>.\r\n")), 2u);
  EXPECT_LT(run.err.find(AsWritten("Searching: " + d)),
            run.err.find(AsWritten("Looking for Directories...")));
  EXPECT_LT(run.err.find(AsWritten("Found Directory <sub>.")),
            run.err.find(AsWritten("Searching: " + sub)));
  EXPECT_EQ(Count(run.out, AsWritten("KeyNum: 0 Status: 0\n")), 3u);
}

// A directory whose name matches the pattern is never handed on as a file;
// with recursion it is walked like any other.
TEST(Walk, DirectoryMatchingThePatternIsNotAFile) {
  Sandbox box;
  box.Btrieve("d/tables.dat/inner.dat");
  Outcome flat = box.Run({box.Path("d/*.dat")});
  EXPECT_EQ(flat.exit_code, 0);
  EXPECT_EQ(flat.err, AsWritten(Header("*.dat") + Completion(0)));
  EXPECT_TRUE(BegunNames(box.Journal()).empty());

  Outcome deep = box.Run({box.Path("d/*.dat"), "-S"});
  EXPECT_EQ(deep.exit_code, 0);
  EXPECT_EQ(BegunNames(box.Journal()),
            std::vector<std::string>{box.Path("d/tables.dat/inner.dat")});
}

}  // namespace
}  // namespace e2e
