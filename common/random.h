// The one process-wide pseudo-random generator. Every random draw of every
// program comes from here, in a fixed order, so a run repeats itself from its
// seed on any platform (the C library's rand differs between platforms).
#pragma once

#include <cstddef>
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

// A private copy of the generator for building a random step ahead of time
// on another thread: it yields the values the process-wide generator would
// yield after `ahead` more draws, and leaves that generator alone. Whoever
// uses it advances the process-wide generator past those draws afterwards
// (skipRandom), so the sequence stays the one of a single thread.
class RandomStream {
 public:
  explicit RandomStream(uint64_t ahead);
  int draw() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 32767u);
  }
  // The next `count` draws into `values`, as `count` calls of draw() would
  // give them, computed several at a time (the plain twin is draw()).
  void drawMany(uint32_t* values, size_t count);

 private:
  uint32_t state_;
};

// Exact remainder a % d for a divisor fixed ahead of many divisions (d >= 1,
// a any 32-bit value) by one multiplication in place of a division; `%` is
// its plain twin.
class FastModulo {
 public:
  FastModulo() = default;
  explicit FastModulo(uint32_t divisor) : magic_(~uint64_t{0} / divisor + 1), divisor_(divisor) {}
  uint32_t operator()(uint32_t a) const {
    // High 64 bits of the 96-bit product (magic_ * a mod 2^64) * divisor.
    const uint64_t low = magic_ * a;
    const uint64_t high = (low >> 32) * divisor_ + (((low & 0xFFFFFFFFu) * divisor_) >> 32);
    return static_cast<uint32_t>(high >> 32);
  }

 private:
  uint64_t magic_ = 0;
  uint32_t divisor_ = 1;
};

// The same for 16-bit operands (a < 2^16, 1 <= d <= 2^16) in 32-bit
// arithmetic, so a loop of them runs in vector registers: exact for every
// such pair. `magic` is smallModuloMagic(d).
inline uint32_t smallModuloMagic(uint32_t divisor) { return 0xFFFFFFFFu / divisor + 1; }
inline uint32_t smallModulo(uint32_t a, uint32_t magic, uint32_t divisor) {
  return static_cast<uint32_t>((uint64_t{magic * a} * divisor) >> 32);
}
inline constexpr uint32_t kSmallModuloLimit = 65536;

}  // namespace tav
