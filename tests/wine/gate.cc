// Waits until a file exists, so keys typed meanwhile sit in the console's
// input buffer before the program under test starts.
// Usage: console-gate PATH. Exit status 1 when two minutes pass first.
#include <chrono>
#include <filesystem>
#include <thread>

int main(int argc, char** argv) {
  if (argc != 2)
    return 2;
  for (int i = 0; i < 1200; ++i) {
    if (std::filesystem::exists(argv[1]))
      return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return 1;
}
