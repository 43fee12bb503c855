// The one process-wide pseudo-random generator. Every random draw of every
// program comes from here, in a fixed order, so a run repeats itself from its
// seed on any platform (the C library's rand differs between platforms).
#pragma once

#include <cstdint>

namespace tav {

inline constexpr int kRandomMax = 32767;

// Sets the generator state (the meaning of the C library's srand).
void seedRandom(uint32_t seed);

// Next value in 0..32767: state = state * 214013 + 2531011 (mod 2^32),
// result = (state >> 16) & 32767. The state starts at 1.
int drawRandom();

// Advances the generator as `count` calls of drawRandom would, in O(log count):
// a stage whose remaining draws no longer affect its result can skip them
// while every later draw stays the same.
void skipRandom(uint64_t count);

}  // namespace tav
