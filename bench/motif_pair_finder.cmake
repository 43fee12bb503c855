# Motif pair finder kernels: the exhaustive seed stage, the permutation test
# of the queued seed pairs, and the hill climb of one pair.
tavrin_benchmark(motif_pair_finder_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/motif_pair_finder_bench.cpp
  LIBRARIES motif_pair_finder_lib)
