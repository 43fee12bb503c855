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

}  // namespace tav
