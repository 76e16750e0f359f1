// A program for process_test to run: it reports what it was given.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

void Write(FILE* f, const std::string& s) {
  std::fwrite(s.data(), 1, s.size(), f);
}

}  // namespace

// Modes:
//   args A...          each argument in hex, NUL-terminated, on stdout (hex,
//                      so a Windows runtime has no line feed to rewrite)
//   env NAME...        each variable's value or "(unset)", NUL-terminated
//   cwd                the current directory
//   cat                standard input, copied to stdout
//   exit OUT ERR CODE  OUT on stdout, ERR on stderr, exit status CODE
//   repeat N           N bytes on stdout
//   touch PATH         creates PATH
//   wait-for PATH      exits 0 once PATH exists, 1 after 30 seconds
int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "args") {
    for (int i = 2; i < argc; ++i) {
      for (const char* p = argv[i]; *p; ++p)
        std::printf("%02x", static_cast<unsigned char>(*p));
      Write(stdout, std::string(1, '\0'));
    }
  } else if (mode == "env") {
    for (int i = 2; i < argc; ++i) {
      const char* v = std::getenv(argv[i]);
      Write(stdout, std::string(v ? v : "(unset)") + '\0');
    }
  } else if (mode == "cwd") {
    Write(stdout, std::filesystem::current_path().string());
  } else if (mode == "cat") {
    int c;
    while ((c = std::getchar()) != EOF)
      std::putchar(c);
  } else if (mode == "exit" && argc == 5) {
    Write(stdout, argv[2]);
    Write(stderr, argv[3]);
    return std::atoi(argv[4]);
  } else if (mode == "repeat" && argc == 3) {
    long n = std::atol(argv[2]);
    for (long i = 0; i < n; ++i)
      std::putchar('a' + static_cast<int>(i % 26));
  } else if (mode == "touch" && argc == 3) {
    std::ofstream(argv[2]) << "here";
  } else if (mode == "wait-for" && argc == 3) {
    for (int i = 0; i < 3000; ++i) {
      if (std::filesystem::exists(argv[2]))
        return 0;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 1;
  } else {
    Write(stderr, "unknown mode\n");
    return 2;
  }
  return 0;
}
