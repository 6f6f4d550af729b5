# A picture box drawing a 50-course figure and giving its kept image against
# the same strokes drawn with one QPainter on a QImage.
korvalo_add_bench(picture_box_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/picture_box_bench.cpp
  LIBS korvalo_forms Qt6::Widgets)
