// The usage course and loading the client library.
#include <gtest/gtest.h>

#include "harness.h"

namespace e2e {
namespace {

std::string UsageText() {
  std::string usage =
      "\nUsage: HOLDFAST <filespec> [/B] [/O] [/M] [/N<VolName>] [/S]\n"
      "This command places each Btrieve file from <filespec> into Continuous "
      "Mode.\n"
      "    /B ==> Processes Blocks of Files (Default is One File at a Time).\n"
      "    /O ==> Open Each File While Scanning (Slower, but less prone to "
      "errors).\n"
      "    /M ==> Displays File Names (Messages) During Processing.\n"
      "    /N ==> NetWare Mode: Send a file list to StdOut with provided "
      "Volume name.\n"
      "    /S ==> Recurses Subdirectories Looking for <filespec>.\n\n"
      "Usage: HOLDFAST /E\n"
      "The second form of the command removes all HOLDFAST files from "
      "Continuous Mode.\n"
      "    /E ==> Removes All Files From Continuous Mode.\n";
  // Shown with the option lead that works on this platform: the last one
  // the program accepts.
  for (char& c : usage) {
    if (c == '/')
      c = kOptionLeads.back()[0];
  }
  return usage;
}

TEST(CommandLine, NoArgumentsShowsUsageWithoutLoadingTheLibrary) {
  Sandbox box;
  RunSettings settings;
  settings.library = box.Path("no-such-library");
  Outcome run = box.Run({}, settings);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.err, AsWritten(UsageText()));
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(box.Journal().empty());
}

struct LoadCase {
  const char* name;
  std::vector<std::string> args;
};

void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

class UnloadableLibrary : public ::testing::TestWithParam<LoadCase> {};

TEST_P(UnloadableLibrary, MissingLibraryEndsWithStatus3AndNoCall) {
  Sandbox box;
  box.Btrieve("a.dat");
  RunSettings settings;
  settings.library = box.Path("no-such-library");
  Outcome run = box.Run(GetParam().args, settings);
  EXPECT_EQ(run.exit_code, 3);
  std::string prefix = "Unable to load the Btrieve client library <" +
                       settings.library + ">: ";
  EXPECT_TRUE(run.err.starts_with(prefix)) << run.err;
  EXPECT_TRUE(run.err.ends_with(AsWritten("\n"))) << run.err;
  EXPECT_GT(run.err.size(), prefix.size() + AsWritten("\n").size())
      << "the platform's reason is missing";
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(box.Journal().empty());
  EXPECT_TRUE(box.Held().empty());
}

TEST_P(UnloadableLibrary, LibraryWithoutEntryEndsWithStatus3) {
  Sandbox box;
  box.Btrieve("a.dat");
  RunSettings settings;
  settings.library = LibraryWithoutEntry();
  Outcome run = box.Run(GetParam().args, settings);
  EXPECT_EQ(run.exit_code, 3);
  EXPECT_TRUE(run.err.starts_with("Unable to load the Btrieve client library <" +
                                  settings.library + ">: "))
      << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(box.Held().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Courses, UnloadableLibrary,
    ::testing::Values(LoadCase{"EndMode", {"-E"}},
                      LoadCase{"SearchRun", {"*.dat"}},
                      LoadCase{"NetWare", {"*.dat", "-NSYS"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
