# The standalone drawing window: loading a DWG into both viewers against one
# plain load, a pick on a DXF of 20,000 texts against one redraw, and a pan
# step with its view stored against the bare re-centring.
korvalo_add_bench(standalone_viewer_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/standalone_viewer_bench.cpp
  LIBS korvalo_standalone korvalo_viewer korvalo_forms korvalo_fixtures)
