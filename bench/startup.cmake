# The programs' start to their first idle state, each started as a process,
# against a bare Qt program that shows one main window, in the same run.
add_executable(korvalo_bare_window ${CMAKE_CURRENT_LIST_DIR}/startup_bare_window.cpp)
target_link_libraries(korvalo_bare_window PRIVATE Qt6::Widgets korvalo_warnings)
set_target_properties(korvalo_bare_window PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
korvalo_add_bench(startup_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/startup_bench.cpp
  LIBS korvalo_storage korvalo_dao)
target_compile_definitions(startup_bench PRIVATE
  KORVALO_SA="$<TARGET_FILE:KorvaloSA>" KORVALO_A2004="$<TARGET_FILE:KorvaloA2004>"
  KORVALO_BARE_WINDOW="$<TARGET_FILE:korvalo_bare_window>")
add_dependencies(startup_bench KorvaloSA KorvaloA2004 korvalo_bare_window)
