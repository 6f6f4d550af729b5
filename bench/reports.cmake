find_package(Qt6 REQUIRED COMPONENTS Gui PrintSupport)
korvalo_add_bench(reports_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/reports_bench.cpp
  LIBS korvalo_reports korvalo_print SQLite::SQLite3 Qt6::Gui Qt6::PrintSupport)
