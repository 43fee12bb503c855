tavrin_benchmark(motif_occurs_bench
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/motif_occurs_bench.cpp
  LIBRARIES tavrin_common)
