#include "walk/walk.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "btrieve/btrieve.h"
#include "driver/options.h"
#include "driver/run_state.h"
#include "testing/failing_new.h"
#include "testing/fake_engine.h"
#include "walk/filesystem.h"

namespace {

namespace fs = std::filesystem;

TEST(WalkMemoryDeathTest, NoMemoryForASubdirectoryPathEndsTheRun) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  fs::path root =
      fs::temp_directory_path() / ("holdfast-walk-" + std::to_string(now));
  // A name long enough that the path reserved for it has a size of its own.
  std::string name(97, 's');
  fs::create_directories(root / name);
  std::string start = root.string() + kSeparator;
  // The reserved characters, plus the NUL.
  size_t path_allocation = start.size() + name.size() + 1 + 1;

  EXPECT_EXIT(
      {
        InstallFakeEngine();
        engine_script = [](const EngineCall& call, EngineBuffers) {
          std::fprintf(stderr, "engine op %d\n", call.operation);
          return 0;
        };
        run_options = RunOptions();
        run_options.recurse = true;
        run_state = RunState();
        run_state.pattern = "*.dat";
        fail_allocation_of_size = path_allocation;
        WalkDirectory(start);
      },
      testing::ExitedWithCode(2),
      "Error allocating memory for directory\\.\nengine op 28\n$");

  fs::remove_all(root);
}

}  // namespace
