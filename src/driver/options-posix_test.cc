#include "driver/options_test_cases.h"

namespace {

TEST(ReadOptions, SlashStartsAPathNotAnOption) {
  ExpectOptions({
      {{"/E"}, "", ""},
      {{"/etc/x"}, "", ""},
      {{"/srv/data/*.dat", "/S", "/b", "-nVOL", "/NOTHER"}, "N", "VOL"},
      {{"/srv/data/*.dat", "-e", "/d"}, "E", ""},
  });
}

}  // namespace
