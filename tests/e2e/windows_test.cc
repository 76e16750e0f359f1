// What only Windows does: the client library by its default name, text-mode
// streams, "/" options and drive-relative file specifications.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "harness.h"
#include "support/process.h"

namespace e2e {
namespace {

const char kEndText[] = "Terminating Continuous Operations Mode...";

std::string DriveLetter(const Sandbox& box) { return box.root().substr(0, 1); }

TEST(Windows, LoadsWbtrv32BesideTheProgramWhenNoLibraryIsNamed) {
  Sandbox box;
  box.Btrieve("A.DAT");
  ProcessRequest request;
  request.program = HoldfastPath();
  request.args = {box.Path("*.DAT")};
  for (const auto& [name, value] : box.Environment())
    if (name != "HOLDFAST_BTRIEVE_LIBRARY")
      request.env.emplace_back(name, value);
  request.unset_env = {"HOLDFAST_BTRIEVE_LIBRARY"};
  // Not the program's folder: the library must come from beside the program.
  request.cwd = box.root();
  ProcessResult run = RunProcess(request);
  EXPECT_EQ(run.exit_status, 0) << run.err;
  std::vector<Call> calls = box.Journal();
  ASSERT_EQ(calls.size(), 2u) << run.err;
  EXPECT_EQ(calls[0].op, 42);
  EXPECT_EQ(calls[0].data, BeginData(box.Path("A.DAT")));
  EXPECT_EQ(calls[1].op, 28);
  EXPECT_EQ(box.Held(), std::vector<std::string>{box.Path("A.DAT")});
}

TEST(Windows, TextModeStreamsWriteCarriageReturnBeforeEachLineFeed) {
  Sandbox box;
  box.Btrieve("A.DAT");

  Outcome end = box.Run({"/E", "/D"});
  EXPECT_EQ(end.exit_code, 0);
  std::vector<Call> calls = box.Journal();
  ASSERT_EQ(calls.size(), 2u);
  auto trace = [&](const Call& call) {
    return "Op: " + std::to_string(call.op) +
           ", Buflen: " + std::to_string(call.length) +
           ", KeyNum: " + std::to_string(call.key_number) + " Status: 0\r\n";
  };
  EXPECT_EQ(end.out, kEndText + trace(calls[0]) + "Success!\r\r\n" +
                         trace(calls[1]));
  EXPECT_EQ(end.err, "");

  Outcome search = box.Run({box.Path("*.DAT"), "/D"});
  EXPECT_EQ(search.exit_code, 0);
  EXPECT_EQ(search.err,
            "Searching for <*.DAT>...\r\n"
            "Press <Esc> to terminate HOLDFAST.\r\n"
            "-\b"
            "Searching: " + box.Path("A.DAT") + " [2048]\r\r\n"
            "\r\nHOLDFAST Complete for 1 File.\r\n");
}

TEST(Windows, EndOptionWorksAsTheFirstArgumentWithEitherLead) {
  for (const char* option : {"/E", "-e", "/e", "-E", "/End"}) {
    SCOPED_TRACE(option);
    Sandbox box;
    box.Btrieve("A.DAT");
    ASSERT_EQ(box.Run({box.Path("*.DAT")}).exit_code, 0);

    Outcome run = box.Run({option});
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.out, std::string(kEndText) + "Success!\r\r\n");
    std::vector<Call> calls = box.Journal();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[2].op, 42);
    EXPECT_EQ(calls[2].key_number, 1);
    EXPECT_EQ(calls[3].op, 28);
    EXPECT_TRUE(box.Held().empty());
  }
}

struct DriveRelativeCase {
  const char* name;
  const char* filespec;  // after the drive letter
  std::vector<std::string> options;
  std::vector<std::string> begun;  // relative to the sandbox root
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const DriveRelativeCase& c, std::ostream* os) { *os << c.name; }

class DriveRelative : public ::testing::TestWithParam<DriveRelativeCase> {};

// "C:*.DAT" names the current directory of drive C:, which is where the run
// starts; the engine must get the absolute paths of what was found.
TEST_P(DriveRelative, ResolvesAgainstTheDrivesCurrentDirectory) {
  const DriveRelativeCase& c = GetParam();
  Sandbox box;
  box.Btrieve("A.DAT");
  box.Btrieve("sub/B.DAT");
  box.Btrieve("sub/deep/C.DAT");
  std::vector<std::string> args = {DriveLetter(box) + c.filespec};
  args.insert(args.end(), c.options.begin(), c.options.end());
  RunSettings settings;
  settings.cwd = box.root();
  Outcome run = box.Run(args, settings);
  EXPECT_EQ(run.exit_code, 0) << run.err;
  std::vector<std::string> begun;
  for (const Call& call : box.Journal())
    if (call.op == 42)
      begun.push_back(call.data.substr(0, call.data.find('\0')));
  std::vector<std::string> expected;
  for (const std::string& relative : c.begun)
    expected.push_back(box.Path(relative));
  EXPECT_EQ(begun, expected);
  EXPECT_NE(run.err.find("Searching for <*.DAT>"), std::string::npos);
  EXPECT_NE(run.err.find(AsWritten(Completion(
                static_cast<int>(expected.size())))),
            std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, DriveRelative,
    ::testing::Values(
        DriveRelativeCase{"Drive", ":*.DAT", {}, {"A.DAT"}},
        DriveRelativeCase{"DriveRecursive", ":*.DAT", {"/S"},
                          {"A.DAT", "sub/B.DAT", "sub/deep/C.DAT"}},
        DriveRelativeCase{"Subdirectory", ":sub\\*.DAT", {}, {"sub/B.DAT"}},
        DriveRelativeCase{"SubdirectoryRecursive", ":sub\\*.DAT", {"-s"},
                          {"sub/B.DAT", "sub/deep/C.DAT"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
