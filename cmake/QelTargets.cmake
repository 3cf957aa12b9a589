# qel_add_tests(NAME SOURCES src... LIBS lib...)
# One test program per library; every TEST in it is registered with CTest.
function(qel_add_tests name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE QEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()

# qel_add_server(NAME SOURCES src... LIBS lib...)
# A component server: a shared library whose only exports are the four COM entry points.
function(qel_add_server name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_link_options(${name} PRIVATE
    "-Wl,--version-script=${CMAKE_SOURCE_DIR}/cmake/server-exports.map" "-Wl,--no-undefined")
  set_target_properties(${name} PROPERTIES LINK_DEPENDS "${CMAKE_SOURCE_DIR}/cmake/server-exports.map")
endfunction()
