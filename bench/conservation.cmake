tavrin_benchmark(conservation_bench
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/conservation_bench.cpp
  LIBRARIES conservation_lib)
