korvalo_add_bench(storage_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/storage_bench.cpp
  LIBS korvalo_storage SQLite::SQLite3)
