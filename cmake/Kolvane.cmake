# Small helpers shared by every folder's CMakeLists.

# kolvane_test(<name> SOURCES <files...> LIBS <targets...> [ENV <VAR=value...>]
#              [PROPERTIES <property value...>])
# A GoogleTest executable whose cases CTest runs one by one, from the run directory.
# ENV sets every variable given for each case. (A list given as the ENVIRONMENT property
# through PROPERTIES would keep only its first variable: the discovered cases get the properties
# as a flat list.)
function(kolvane_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PROPERTIES;ENV" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(ARG_ENV)
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR
                                             "${CMAKE_COMMAND};-E;env;${ARG_ENV}")
  endif()
  gtest_discover_tests(${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
                       DISCOVERY_TIMEOUT 60 PROPERTIES ${ARG_PROPERTIES})
endfunction()

# kolvane_benchmark(<name> SOURCES <files...> LIBS <targets...>)
# A Google Benchmark executable; benchmarks are run by hand, never by CTest.
function(kolvane_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()
