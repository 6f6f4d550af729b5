find_package(Qt6 REQUIRED COMPONENTS Gui PrintSupport)
korvalo_add_bench(reports_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/reports_bench.cpp
  LIBS korvalo_reports korvalo_print SQLite::SQLite3 Qt6::Gui Qt6::PrintSupport)

# The report window's preview of 300,000 lines through the rich-text box
# against a plain QPlainTextEdit (goal: within 2x).
find_package(Qt6 REQUIRED COMPONENTS Widgets)
korvalo_add_bench(report_preview_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/report_preview_bench.cpp
  LIBS korvalo_forms Qt6::Widgets)
