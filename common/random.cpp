#include "random.h"

#include <cstring>

#include "cpu_features.h"

namespace tav {

namespace {
uint32_t generatorState = 1;
}

void seedRandom(uint32_t seed) { generatorState = seed; }

int drawRandom() {
  generatorState = generatorState * 214013u + 2531011u;
  return static_cast<int>((generatorState >> 16) & 32767u);
}

namespace {

// The state after `count` steps from `state`: the affine step
// x -> a*x + c composed with itself by squaring.
uint32_t advance(uint32_t state, uint64_t count) {
  uint32_t mulTotal = 1, addTotal = 0;
  uint32_t mul = 214013u, add = 2531011u;
  while (count > 0) {
    if (count & 1u) {
      mulTotal = mulTotal * mul;
      addTotal = addTotal * mul + add;
    }
    add = add * mul + add;
    mul = mul * mul;
    count >>= 1;
  }
  return state * mulTotal + addTotal;
}

}  // namespace

void skipRandom(uint64_t count) { generatorState = advance(generatorState, count); }

RandomStream::RandomStream(uint64_t ahead) : state_(advance(generatorState, ahead)) {}

// Interleaved copies of the generator, each stepping as many draws as there
// are copies at a time, break the chain of one multiply-add per draw; four
// vectors of them keep the multiplier busy.
namespace {

[[gnu::always_inline]] inline uint32_t drawLanes(uint32_t state, uint32_t* values, size_t count) {
  using Lanes = uint32_t __attribute__((vector_size(32)));
  constexpr size_t kWidth = sizeof(Lanes) / sizeof(uint32_t);
  constexpr size_t kVectors = 4;
  constexpr size_t kLanes = kWidth * kVectors;
  // The affine step x -> mul * x + add applied kLanes times.
  uint32_t mul = 1;
  uint32_t add = 0;
  for (size_t i = 0; i < kLanes; ++i) {
    mul = mul * 214013u;
    add = add * 214013u + 2531011u;
  }
  size_t i = 0;
  if (count >= kLanes) {
    Lanes lanes[kVectors];
    uint32_t lane = state;
    for (size_t l = 0; l < kLanes; ++l) {
      lane = lane * 214013u + 2531011u;
      lanes[l / kWidth][l % kWidth] = lane;
    }
    for (; i + kLanes <= count; i += kLanes) {
      for (size_t v = 0; v < kVectors; ++v) {
        const Lanes drawn = (lanes[v] >> 16) & 32767u;
        std::memcpy(values + i + v * kWidth, &drawn, sizeof drawn);
      }
      state = lanes[kVectors - 1][kWidth - 1];
      for (Lanes& v : lanes) v = v * mul + add;
    }
  }
  for (; i < count; ++i) {
    state = state * 214013u + 2531011u;
    values[i] = (state >> 16) & 32767u;
  }
  return state;
}

__attribute__((target("avx2"))) uint32_t drawLanesAvx2(uint32_t state, uint32_t* values,
                                                       size_t count) {
  return drawLanes(state, values, count);
}

uint32_t drawLanesBase(uint32_t state, uint32_t* values, size_t count) {
  return drawLanes(state, values, count);
}

}  // namespace

void RandomStream::drawMany(uint32_t* values, size_t count) {
  state_ =
      cpuHasAvx2() ? drawLanesAvx2(state_, values, count) : drawLanesBase(state_, values, count);
}

}  // namespace tav
