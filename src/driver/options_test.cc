#include "driver/options_test_cases.h"

namespace {

TEST(ReadOptions, DashOptions) {
  ExpectOptions({
      {{"*.dat"}, "", ""},
      {{"*.dat", "-b", "-o", "-m", "-nVOL", "-s", "-e", "-d"}, "BOMNSED", "VOL"},
      {{"*.dat", "-S"}, "S", ""},
      {{"*.dat", "-sub", "-Bxyz"}, "BS", ""},
      // The first argument is read too, and is still the file specification.
      {{"-S", "*.dat"}, "S", ""},
      {{"-e"}, "E", ""},
      {{"*.dat", "-Eanything"}, "E", ""},
      {{"*.dat", "-?", "-x", "-1", "--", "-"}, "", ""},
      {{"-"}, "", ""},
      {{"", "*.dat", "b", "e"}, "", ""},
      // Read from the back, so the N nearest the front wins.
      {{"*.dat", "-NFIRST", "-s", "-nSECOND"}, "NS", "FIRST"},
      {{"*.dat", "-N"}, "N", ""},
      {{"*.dat", "-N", "-nLATER"}, "N", ""},
      {{"*.dat", "-nSYS VOL:x"}, "N", "SYS VOL:x"},
  });
}

}  // namespace
