#include "random.h"

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

}  // namespace tav
