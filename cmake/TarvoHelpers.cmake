# Warnings every target of ours is built with.
function(tarvo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()

# tarvo_add_library(<name> SOURCES ... [DEPS ...])
# A static library tarvo_<name> whose headers are included as "<folder>/<Header>.h" from src/.
# The library's own folder and its DEPS are recorded for the layering check (tests/layering).
function(tarvo_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  if(NOT folder MATCHES "^\\.\\.")
    list(JOIN ARG_DEPS " " deps)
    set_property(GLOBAL APPEND PROPERTY TARVO_LAYERS "tarvo_${name} ${folder} ${deps}")
  endif()
  add_library(tarvo_${name} STATIC ${ARG_SOURCES})
  target_include_directories(tarvo_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(tarvo_${name} PUBLIC ${ARG_DEPS})
  tarvo_warnings(tarvo_${name})
endfunction()

# tarvo_add_test(<name> [SERIAL] SOURCES ... [DEPS ...] [ENV ...])
# A GoogleTest executable tests_<name>; its cases are discovered when ctest runs. SERIAL keeps
# its cases from running beside others (they measure something in real time).
function(tarvo_add_test name)
  cmake_parse_arguments(ARG "SERIAL" "" "SOURCES;DEPS;ENV" ${ARGN})
  set(serial FALSE)
  if(ARG_SERIAL)
    set(serial TRUE)
  endif()
  add_executable(tests_${name} ${ARG_SOURCES})
  target_include_directories(tests_${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(tests_${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(tests_${name} PRIVATE
    TARVO_SOURCE_DIR="${PROJECT_SOURCE_DIR}" TARVO_APP_BUILD_DIR="${TARVO_APP_BUILD_DIR}")
  tarvo_warnings(tests_${name})
  set_target_properties(tests_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(tests_${name}
    DISCOVERY_MODE PRE_TEST
    TEST_PREFIX "${name}."
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${ARG_ENV}" TIMEOUT 120 RUN_SERIAL ${serial})
endfunction()

# tarvo_add_bench(<name> SOURCES ... [DEPS ...]): a Google Benchmark program bench_<name>.
function(tarvo_add_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(bench_${name} ${ARG_SOURCES})
  target_include_directories(bench_${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/bench)
  target_link_libraries(bench_${name} PRIVATE ${ARG_DEPS} benchmark::benchmark benchmark::benchmark_main)
  target_compile_definitions(bench_${name} PRIVATE TARVO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  tarvo_warnings(bench_${name})
  set_target_properties(bench_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()

# The executable finds its application folder (config.xml, layouts, language, ...) next to
# itself. In the build tree that folder is bin/, whose entries link to the shipped data/.
# Entries that the build itself produces (for example gif/qgif) are real folders in bin/.
function(tarvo_stage_application_folder)
  file(MAKE_DIRECTORY ${TARVO_APP_BUILD_DIR})
  file(GLOB entries CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}/data ${PROJECT_SOURCE_DIR}/data/*)
  foreach(entry IN LISTS entries)
    get_property(produced GLOBAL PROPERTY TARVO_BUILD_PRODUCED_FOLDERS)
    if(entry IN_LIST produced)
      continue()
    endif()
    if(NOT EXISTS ${TARVO_APP_BUILD_DIR}/${entry})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/data/${entry} ${TARVO_APP_BUILD_DIR}/${entry} SYMBOLIC)
    endif()
  endforeach()
endfunction()

# Writes what every library of src/ may use: one line per library, "<target> <folder> <deps>".
function(tarvo_write_layers file)
  get_property(layers GLOBAL PROPERTY TARVO_LAYERS)
  list(JOIN layers "\n" text)
  file(WRITE ${file} "${text}\n")
endfunction()
