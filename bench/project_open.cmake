# Opening a project of 10,000 parcels in the editor against the parcel names
# read directly with SQLite, and the program's peak memory with that project
# open beside a bare Qt window's, in the same run.
korvalo_add_bench(project_open_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/project_open_bench.cpp
  LIBS korvalo_editor Qt6::Widgets SQLite::SQLite3)
