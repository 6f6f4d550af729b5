# The drawing viewer on a generated plat of 100,000 entities: opening and
# painting it against GDAL reading every feature, and redrawing it (whole and
# a 1% window) against QPainter drawing the same lines from a flat array.
find_package(GDAL REQUIRED)
korvalo_add_bench(viewer_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/viewer_bench.cpp
  LIBS korvalo_viewer korvalo_forms Qt6::Widgets GDAL::GDAL)
