#include "driver/options_test_cases.h"

namespace {

TEST(ReadOptions, SlashOrDashStartsAnOption) {
  ExpectOptions({
      {{"/E"}, "E", ""},
      {{"/?"}, "", ""},
      {{"/s", "C:\\DATA\\*.DAT"}, "S", ""},
      {{"C:\\DATA\\*.DAT", "/b", "-Sx", "/o"}, "BOS", ""},
      {{"C:\\DATA\\*.DAT", "/NFIRST", "-NSECOND"}, "N", "FIRST"},
      {{"C:\\DATA\\*.DAT", "-NFIRST", "/N"}, "N", "FIRST"},
      {{"/"}, "", ""},
  });
}

}  // namespace
