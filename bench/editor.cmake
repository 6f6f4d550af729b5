# The editor window's load (the 80-row grid built and shown) against a bare
# Qt window with one button, both offscreen in the same run.
korvalo_add_bench(editor_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/editor_bench.cpp
  LIBS korvalo_cadlink korvalo_editor Qt6::Widgets)
