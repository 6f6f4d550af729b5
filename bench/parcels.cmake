korvalo_add_bench(parcels_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/parcels_bench.cpp
  LIBS korvalo_editor korvalo_storage SQLite::SQLite3)
