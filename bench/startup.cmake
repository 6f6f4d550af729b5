# The programs' start to their first idle state, each started as a process,
# against a bare Qt program that shows one main window and against the same
# windows built with Qt alone, in the same run.
add_executable(korvalo_bare_window ${CMAKE_CURRENT_LIST_DIR}/startup_bare_window.cpp)
target_include_directories(korvalo_bare_window PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(korvalo_bare_window PRIVATE Qt6::Widgets korvalo_warnings)
set_target_properties(korvalo_bare_window PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
find_package(SQLite3 REQUIRED)
add_executable(korvalo_same_windows ${CMAKE_CURRENT_LIST_DIR}/startup_same_windows.cpp)
target_include_directories(korvalo_same_windows PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(korvalo_same_windows PRIVATE Qt6::Widgets SQLite::SQLite3 korvalo_warnings)
set_target_properties(korvalo_same_windows PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
korvalo_add_bench(startup_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/startup_bench.cpp
  LIBS korvalo_storage korvalo_dao)
target_compile_definitions(startup_bench PRIVATE
  KORVALO_SA="$<TARGET_FILE:KorvaloSA>" KORVALO_A2004="$<TARGET_FILE:KorvaloA2004>"
  KORVALO_BARE_WINDOW="$<TARGET_FILE:korvalo_bare_window>"
  KORVALO_SAME_WINDOWS="$<TARGET_FILE:korvalo_same_windows>")
add_dependencies(startup_bench KorvaloSA KorvaloA2004 korvalo_bare_window korvalo_same_windows)
