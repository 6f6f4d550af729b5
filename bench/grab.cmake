# Grabbing an 80-course parcel from a scripted selection in the real editor
# against setting the same values into the grid with one computation, both
# offscreen in the same run.
korvalo_add_bench(grab_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/grab_bench.cpp
  LIBS korvalo_cadlink korvalo_editor korvalo_cad_testing Qt6::Widgets)
