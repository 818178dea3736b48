// Stored golden renders: checksum of every sample plus a few samples, produced once
// (engine_golden_test prints the checksums with TAMBREL_PRINT_GOLDEN=1) and checked there against
// peak, decay and pitch.
#ifndef TAMBREL_TESTS_ENGINE_GOLDEN_EXPECTED_H
#define TAMBREL_TESTS_ENGINE_GOLDEN_EXPECTED_H

#include <cstdint>

namespace golden {

const int probes[] = {0, 1, 38, 399, 400, 401, 1234, 3999, 4000, 8000};
const int probeCount = 10;

struct Expected {
  uint64_t checksum;
  double probes[10];
};

const int defaultLength = 13200;
const int secondLength = 24000;
const int toneLength = 12000;

const Expected defaultHit = {0x438f9fd0b7f2bb04ull,
                             {-0x1.cce462p-11, -0x1.93cb9ap-8, 0x1.6cf798p-5, -0x1.e5a4c8p-4,
                              -0x1.b0ad2ep-4, -0x1.7bf138p-4, -0x1.232cdp-4, -0x1.6b7106p-3,
                              -0x1.70a068p-3, 0x1.2a6e1p-7}};
const Expected secondHit = {0x7cc1b2505d3cdb7eull,
                            {-0x1.1270e2p-9, -0x1.e2b3d2p-7, -0x1.024baap-2, -0x1.03e49p-3,
                             -0x1.c726b8p-4, -0x1.2bdbe8p-4, 0x1.8a5918p-4, -0x1.868bf4p-3,
                             -0x1.9db498p-3, -0x1.56172cp-2}};
const Expected unbentTone = {0x18591aa605b0e149ull,
                             {0x0p+0, 0x1.b4757p-16, 0x1.4b546cp-3, -0x1.35c142p-8, 0x1.0c8e64p-7,
                              0x1.59102p-6, -0x1.636a6p-4, -0x1.87c9dp-4, -0x1.84d118p-4,
                              0x1.defa34p-6}};

} // namespace golden

#endif
