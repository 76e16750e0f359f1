// End mode: ending continuous operation for every file of this client.
#include <gtest/gtest.h>

#include "harness.h"

namespace e2e {
namespace {

const char kOpening[] = "Terminating Continuous Operations Mode...";

// The two calls of every end-mode run: end for this client, then Reset.
void ExpectEndThenReset(const std::vector<Call>& calls) {
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].op, 42);
  EXPECT_EQ(calls[0].key_number, 1);
  EXPECT_EQ(calls[0].length, 0u);
  EXPECT_EQ(calls[1].op, 28);
  EXPECT_EQ(calls[1].key_number, 0);
  EXPECT_EQ(calls[1].length, 4u);
  for (const Call& call : calls) {
    EXPECT_EQ(call.client, kClientHex);
    EXPECT_EQ(call.key_length, 255);
  }
}

TEST(EndMode, EverySpellingEndsContinuousOperation) {
  std::vector<std::vector<std::string>> spellings;
  for (const std::string& lead : kOptionLeads) {
    spellings.push_back({lead + "E"});
    spellings.push_back({lead + "e"});
    spellings.push_back({lead + "Exyz"});
    // The file specification plays no part.
    spellings.push_back({"x.dat", lead + "E"});
    spellings.push_back({"x.dat", lead + "S", lead + "e"});
  }
  for (const auto& args : spellings) {
    std::string shown;
    for (const std::string& arg : args)
      shown += arg + " ";
    SCOPED_TRACE(shown);
    Sandbox box;
    box.Btrieve("x.dat");
    Outcome run = box.Run(args);
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.out, AsWritten(std::string(kOpening) + "Success!\r\n"));
    EXPECT_EQ(run.err, "");
    ExpectEndThenReset(box.Journal());
  }
}

TEST(EndMode, TraceInterleavesWithTheResult) {
  Sandbox box;
  Outcome run = box.Run({"-E", "-D"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, AsWritten(std::string(kOpening) +
                               "Op: 42, Buflen: 0, KeyNum: 1 Status: 0\n"
                               "Success!\r\n"
                               "Op: 28, Buflen: 4, KeyNum: 0 Status: 0\n"));
  EXPECT_EQ(run.err, "");
}

TEST(EndMode, RefusedEndIsReportedAndStillResets) {
  struct Case {
    const char* fault_status;
    const char* shown_status;
  };
  // The status is the low 16 bits, sign-extended.
  for (Case c : {Case{"85", "85"}, Case{"40000", "-25536"}}) {
    SCOPED_TRACE(c.fault_status);
    Sandbox box;
    RunSettings settings;
    settings.faults = std::string("op=42 keynum=1 status=") + c.fault_status;
    Outcome run = box.Run({"-E"}, settings);
    EXPECT_EQ(run.exit_code, 4);
    EXPECT_EQ(run.out, AsWritten(std::string(kOpening) + "Status " +
                                 c.shown_status + " On ENDBU Function!\r\n"));
    EXPECT_EQ(run.err, "");
    ExpectEndThenReset(box.Journal());
  }
}

TEST(EndMode, RefusedEndIsTracedBetweenOpeningAndResult) {
  Sandbox box;
  RunSettings settings;
  settings.faults = "op=42 keynum=1 status=85";
  Outcome run = box.Run({"-D", "-E"}, settings);
  EXPECT_EQ(run.exit_code, 4);
  EXPECT_EQ(run.out, AsWritten(std::string(kOpening) +
                               "Op: 42, Buflen: 0, KeyNum: 1 Status: 85\n"
                               "Status 85 On ENDBU Function!\r\n"
                               "Op: 28, Buflen: 4, KeyNum: 0 Status: 0\n"));
}

TEST(EndMode, ResetStatusDoesNotMatter) {
  Sandbox box;
  RunSettings settings;
  settings.faults = "op=28 status=3";
  Outcome run = box.Run({"-E"}, settings);
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, AsWritten(std::string(kOpening) + "Success!\r\n"));
}

// A later end run ends exactly what an earlier search run began.
TEST(EndMode, EndsWhatAnEarlierRunBegan) {
  Sandbox box;
  box.Btrieve("data/a.dat");
  box.Btrieve("data/sub/b.dat");
  box.Plain("data/sub/c.dat", 2048);
  Outcome begin = box.Run({box.Path("data/*.dat"), "-S"});
  ASSERT_EQ(begin.exit_code, 0) << begin.err;
  std::vector<std::string> held = box.Held();
  std::sort(held.begin(), held.end());
  EXPECT_EQ(held, (std::vector<std::string>{box.Path("data/a.dat"),
                                            box.Path("data/sub/b.dat")}));

  Outcome end = box.Run({"-E"});
  EXPECT_EQ(end.exit_code, 0);
  EXPECT_EQ(end.out, AsWritten(std::string(kOpening) + "Success!\r\n"));
  EXPECT_TRUE(box.Held().empty());
}

}  // namespace
}  // namespace e2e
