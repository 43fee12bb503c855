// What the processor running the program can do, asked once: kernels with a
// vector form for newer processors pick it at run time, so one build runs
// everywhere and the fast form runs where it can.
#pragma once

namespace tav {

inline bool cpuHasAvx2() {
  static const bool avx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return avx2;
}

}  // namespace tav
