korvalo_add_bench(closure_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/closure_bench.cpp
  LIBS korvalo_geometry)
