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

void skipRandom(uint64_t count) {
  // Compose the affine step x -> a*x + c with itself by squaring.
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
  generatorState = generatorState * mulTotal + addTotal;
}

}  // namespace tav
