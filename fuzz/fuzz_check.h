#pragma once

#include <cstdio>
#include <cstdlib>

// A broken property ends the process, so that the fuzzer keeps the input and the regression
// run of the corpus fails.
#define FUZZ_CHECK(condition)                                                               \
  do {                                                                                      \
    if (!(condition)) {                                                                     \
      std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                         \
    }                                                                                       \
  } while (0)
