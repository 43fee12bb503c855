tavrin_benchmark(motif_compare_bench
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/motif_compare_bench.cpp
  LIBRARIES motif_compare_lib)
