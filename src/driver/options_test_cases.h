// Shared by the option tests of both platforms.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/options.h"

struct OptionCase {
  std::vector<std::string> args;
  std::string switches;  // letters of the options on, in the order BOMNSED
  std::string volume_name;
};

inline std::string SwitchesOn(const RunOptions& options) {
  std::string on;
  if (options.block) on += 'B';
  if (options.open_check) on += 'O';
  if (options.messages) on += 'M';
  if (options.netware) on += 'N';
  if (options.recurse) on += 'S';
  if (options.end) on += 'E';
  if (options.debug) on += 'D';
  return on;
}

inline void ExpectOptions(const std::vector<OptionCase>& cases) {
  for (const OptionCase& c : cases) {
    std::string shown;
    for (const std::string& arg : c.args)
      shown += "[" + arg + "]";
    SCOPED_TRACE(shown);
    RunOptions options = ReadOptions(c.args);
    EXPECT_EQ(SwitchesOn(options), c.switches);
    EXPECT_EQ(options.volume_name, c.volume_name);
  }
}
