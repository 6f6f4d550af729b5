# Building a grid of 1,600 controls in control arrays against a bare Qt
# window with one button, both shown offscreen.
korvalo_add_bench(forms_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/forms_bench.cpp
  LIBS korvalo_forms Qt6::Widgets)
