// What only POSIX has: symbolic links, and "/" that starts a path.
#include <gtest/gtest.h>

#include <filesystem>

#include "harness.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

TEST(PosixWalk, LinkToDirectoryIsNeitherEnteredNorHandedOn) {
  Sandbox box;
  box.Btrieve("d/a.dat");
  box.Btrieve("elsewhere/far.dat");
  fs::create_directory_symlink(box.Path("elsewhere"), box.Path("d/link.dat"));
  fs::create_directory_symlink(box.Path("d"), box.Path("d/loop"));
  Outcome run = box.Run({box.Path("d/*.dat"), "-S"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_TRUE(run.err.ends_with(Completion(1))) << run.err;
  EXPECT_EQ(BegunNames(box.Journal()), std::vector<std::string>{box.Path("d/a.dat")});
}

TEST(PosixWalk, LinkToFileCountsAsThatFile) {
  Sandbox box;
  box.Btrieve("target/real.bin", 4096);
  box.Btrieve("target/small.bin", 1600);
  box.Directory("d");
  fs::create_symlink(box.Path("target/real.bin"), box.Path("d/big.dat"));
  fs::create_symlink(box.Path("target/small.bin"), box.Path("d/small.dat"));
  fs::create_symlink(box.Path("target/gone.bin"), box.Path("d/dangling.dat"));
  Outcome run = box.Run({box.Path("d/*.dat"), "-D"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_NE(run.err.find("Searching: " + box.Path("d/") + "big.dat [4096]\r\n"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(run.err.ends_with(Completion(1)));
  EXPECT_EQ(BegunNames(box.Journal()), std::vector<std::string>{box.Path("d/big.dat")});
}

TEST(PosixWalk, StartDirectoryMayBeALink) {
  Sandbox box;
  box.Btrieve("real/a.dat");
  box.Btrieve("real/sub/b.dat");
  fs::create_directory_symlink(box.Path("real"), box.Path("via"));
  Outcome run = box.Run({box.Path("via/*.dat"), "-S"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_TRUE(run.err.ends_with(Completion(2))) << run.err;
}

// On POSIX only "-" starts an option: "/etc/x" is a file specification.
TEST(PosixWalk, SlashArgumentIsAPathNotAnOption) {
  Sandbox box;
  Outcome run = box.Run({"/etc/x"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, Header("x") + Completion(0));
  EXPECT_EQ(Operations(box.Journal()), std::vector<int>{28});

  box.Btrieve("d/a.dat");
  Outcome trailing = box.Run({box.Path("d/*.dat"), "/E", "/S"});
  EXPECT_EQ(trailing.exit_code, 0);
  EXPECT_EQ(trailing.err, Header("*.dat") + Spinner(1) + Completion(1));
}

}  // namespace
}  // namespace e2e
