# Pair finder kernels: scoring every element pair into the bounded list, and
# the permutation test.
tavrin_benchmark(pair_finder_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/pair_finder_bench.cpp
  LIBRARIES pair_finder_lib)
