# The editor window's load (the 80-row grid built and shown) against the same
# window built directly in Qt Widgets, both offscreen in the same run.
korvalo_add_bench(editor_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/editor_bench.cpp
  LIBS korvalo_cadlink korvalo_editor Qt6::Widgets)

# Insert and delete at the top of a nearly full grid against the same text
# moves on plain Qt line edits.
korvalo_add_bench(editor_rows_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/editor_rows_bench.cpp
  LIBS korvalo_cadlink korvalo_editor Qt6::Widgets)
