# The floating editor: deleting row 0 of a full grid against the same text
# moves with the calculation off, and loading the editor with its frame
# against the same two windows built directly in Qt Widgets.
korvalo_add_bench(standalone_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/standalone_bench.cpp
  LIBS korvalo_standalone korvalo_editor Qt6::Widgets)
