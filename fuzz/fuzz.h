// What the fuzz targets share.
#pragma once

#include <cstdio>
#include <cstdlib>

// Stops the run so libFuzzer keeps the input that broke `condition`.
#define FUZZ_CHECK(condition)                                          \
  do {                                                                 \
    if (!(condition)) {                                                \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__,      \
                   __LINE__, #condition);                              \
      std::abort();                                                    \
    }                                                                  \
  } while (0)
