#ifndef FUZZCHECK_H
#define FUZZCHECK_H
#include <cstdio>
#include <cstdlib>
// A broken property is a finding: say which one and stop, so libFuzzer saves the input.
#define FUZZ_CHECK(c)                                                                              \
    ((c) ? void() : (std::fprintf(stderr, "FUZZ_CHECK failed: %s (%s:%d)\n", #c, __FILE__, __LINE__), \
                     std::abort()))
#endif
