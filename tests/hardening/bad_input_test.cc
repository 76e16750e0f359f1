// Names nobody chose and an engine that answers oddly: the program must
// hand the engine exactly the paths it found, or name each file it did not
// protect, and say so in its exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace e2e {
namespace {

const std::string kLong = "path longer than 255 characters.\n";
const std::string kComma = "a comma in the path cannot be passed to Btrieve.\n";

std::string Name(size_t length) {
  std::string name = "n";
  name.resize(length - 4, 'x');
  return name + ".dat";
}

// The names of every block-mode Begin, split at the commas.
std::vector<std::string> ListedNames(const std::vector<Call>& calls) {
  std::vector<std::string> names;
  for (const std::string& list : BegunNames(calls)) {
    size_t start = 0;
    for (size_t comma; (comma = list.find(',', start)) != std::string::npos;
         start = comma + 1)
      names.push_back(list.substr(start, comma - start));
    names.push_back(list.substr(start));
  }
  return names;
}

struct NameCase {
  const char* label;
  // Relative to the sandbox; a leading "@" is replaced by a name that makes
  // the full path exactly that long ("@255", "@256").
  std::string file;
  const std::string* skipped;  // the reason it is skipped, or null
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.label; }

class BadNames : public testing::TestWithParam<NameCase> {};

// Each name in one-file mode and in block mode, with every message that
// prints it: it reaches the engine byte for byte, or is named as skipped.
TEST_P(BadNames, ReachTheEngineWholeOrAreNamed) {
  for (bool block : {false, true}) {
    SCOPED_TRACE(block ? "block mode" : "one file at a time");
    Sandbox box;
    std::string file = GetParam().file;
    if (file[0] == '@') {
      size_t length = std::stoul(file.substr(1));
      file = "d/" + Name(length - box.Path("d/").size());
    }
    box.Btrieve(file);
    std::string path = box.Path(file);
    std::string directory = path.substr(0, path.rfind(kSep) + 1);
    std::vector<std::string> args = {box.Path("d/*.dat"), "-S", "-M"};
    if (block)
      args.push_back("-B");
    Outcome run = box.Run(args);

    std::string expected = Header("*.dat") + "Processing File " + path + "...\n";
    if (GetParam().skipped)
      expected += "Skipping <" + path + ">: " + *GetParam().skipped;
    expected += Completion(GetParam().skipped ? 0 : 1);
    EXPECT_EQ(Unspun(run.err), AsWritten(expected));
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.exit_code, GetParam().skipped ? 4 : 0);
    std::vector<Call> calls = box.Journal();
    std::vector<std::string> reached =
        block ? ListedNames(calls) : BegunNames(calls);
    if (GetParam().skipped) {
      EXPECT_EQ(Operations(calls), std::vector<int>{28});
    } else {
      EXPECT_EQ(reached, std::vector<std::string>{path});
      EXPECT_EQ(calls[0].status, 0);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadNames,
    testing::Values(
        NameCase{"FormatDirectives", "d/%s%n%x%%.dat", nullptr},
        NameCase{"Spaces", "d/ two  spaces .dat", nullptr},
        NameCase{"LeadingDashes", "d/-B -E.dat", nullptr},
        NameCase{"DashDirectory", "d/-S/-E.dat", nullptr},
        NameCase{"Longest", "@255", nullptr},
        NameCase{"OneTooLong", "@256", &kLong},
        NameCase{"CommaInName", "d/a,b.dat", &kComma},
        NameCase{"CommaInDirectory", "d/x,y/a.dat", &kComma}),
    [](const testing::TestParamInfo<NameCase>& info) {
      return std::string(info.param.label);
    });

enum class ErrorLine { kNone, kSentList, kEngineText };

struct EngineCase {
  const char* label;
  bool block;
  const char* faults;
  int exit_code;
  int count;
  ErrorLine error_line;
  std::string engine_text;  // what the engine left in a refused block
};

void PrintTo(const EngineCase& c, std::ostream* os) { *os << c.label; }

class OddEngine : public testing::TestWithParam<EngineCase> {};

// Lengths beyond the buffer, statuses beyond 16 bits, and text written
// into a refused block with or without its own NUL.
TEST_P(OddEngine, AnswersAreReadSafely) {
  const EngineCase& c = GetParam();
  Sandbox box;
  for (const char* name : {"d/a.dat", "d/b.dat", "d/c.dat"})
    box.Btrieve(name);
  std::vector<std::string> args = {box.Path("d/*.dat")};
  if (c.block)
    args.push_back("-B");
  RunSettings settings;
  settings.faults = c.faults;
  Outcome run = box.Run(args, settings);

  EXPECT_EQ(run.exit_code, c.exit_code);
  EXPECT_EQ(Unspun(run.err), AsWritten(Header("*.dat") + Completion(c.count)));
  std::vector<Call> calls = box.Journal();
  std::vector<std::string> reached = c.block ? ListedNames(calls) : BegunNames(calls);
  std::sort(reached.begin(), reached.end());
  EXPECT_EQ(reached, (std::vector<std::string>{
                         box.Path("d/a.dat"), box.Path("d/b.dat"), box.Path("d/c.dat")}));
  ASSERT_FALSE(calls.empty());
  std::string sent = calls[0].data.substr(0, calls[0].data.find('\0'));
  switch (c.error_line) {
    case ErrorLine::kNone:
      EXPECT_EQ(run.out, "");
      break;
    case ErrorLine::kSentList:
      EXPECT_EQ(run.out, AsWritten("Error found at <" + sent + ">\r\n"));
      break;
    case ErrorLine::kEngineText: {
      std::string text = c.engine_text.empty()
                             ? std::string(sent.size(), 'A')
                             : c.engine_text;
      EXPECT_EQ(run.out, AsWritten("Error found at <" + text + ">\r\n"));
      break;
    }
  }
  EXPECT_EQ(Operations(calls).back(), 28);
}

INSTANTIATE_TEST_SUITE_P(
    Table, OddEngine,
    testing::Values(
        EngineCase{"HugeLengthBackOneFile", false,
                   "op=42 keynum=0 status=0 len=4294967295", 0, 3,
                   ErrorLine::kNone, ""},
        EngineCase{"HugeLengthBackBlock", true,
                   "op=42 keynum=0 status=0 len=4294967295", 0, 3,
                   ErrorLine::kNone, ""},
        EngineCase{"RefusedWithLengthBeyondBuffer", true,
                   "op=42 keynum=0 status=5 len=100000", 4, 3,
                   ErrorLine::kSentList, ""},
        EngineCase{"StatusAbove32767OneFile", false,
                   "op=42 keynum=0 status=40000", 0, 0, ErrorLine::kNone, ""},
        EngineCase{"StatusAbove32767Block", true,
                   "op=42 keynum=0 status=40000", 4, 3, ErrorLine::kSentList,
                   ""},
        EngineCase{"StatusBeyond16BitsWithZeroLowBitsOneFile", false,
                   "op=42 keynum=0 status=65536", 0, 3, ErrorLine::kNone, ""},
        EngineCase{"StatusBeyond16BitsWithZeroLowBitsBlock", true,
                   "op=42 keynum=0 status=65536", 0, 3, ErrorLine::kNone, ""},
        EngineCase{"RefusedBlockFilledWithoutNul", true,
                   "op=42 keynum=0 status=5 fill=A", 4, 3,
                   ErrorLine::kEngineText, ""},
        EngineCase{"RefusedBlockWithText", true,
                   "op=42 keynum=0 status=5 text=%s%n\\x20said\\x20no", 4, 3,
                   ErrorLine::kEngineText, "%s%n said no"}),
    [](const testing::TestParamInfo<EngineCase>& info) {
      return std::string(info.param.label);
    });

}  // namespace
}  // namespace e2e
