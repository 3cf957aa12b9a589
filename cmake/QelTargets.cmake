# qel_add_build_paths(TARGET NAME PATH [NAME PATH]...)
# Gives TARGET the constants `extern const char NAME[]` holding paths of this clone and
# build folder, in a unit of their own that the build writes. A path on the compile line
# would make every unit of the target differ from one clone to the next; so only this
# small unit does, and the compile cache serves the rest to a clone in any folder.
function(qel_add_build_paths target)
  set(text "// Written by the build (qel_add_build_paths): paths of this clone and build folder.\n")
  set(pairs ${ARGN})
  while(pairs)
    list(POP_FRONT pairs name path)
    string(APPEND text "extern const char ${name}[] = R\"qelpath(${path})qelpath\";\n")
  endwhile()
  set(unit ${CMAKE_CURRENT_BINARY_DIR}/${target}_buildpaths.cpp)
  file(GENERATE OUTPUT ${unit} CONTENT "${text}")
  target_sources(${target} PRIVATE ${unit})
endfunction()

# qel_add_tests(NAME SOURCES src... LIBS lib... [PATHS name path...])
# One test program per library; every TEST in it is registered with CTest. It has the
# source tree, for its inputs in testdata/, as kQelSourceDir and the PATHS as named
# (testing/buildpaths.h).
function(qel_add_tests name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PATHS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  qel_add_build_paths(${name} kQelSourceDir ${CMAKE_SOURCE_DIR} ${ARG_PATHS})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()

# qel_add_server(NAME SOURCES src... LIBS lib...)
# A component server: a shared library whose only exports are the four COM entry points.
function(qel_add_server name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_link_options(${name} PRIVATE "-Wl,--version-script=${CMAKE_SOURCE_DIR}/cmake/server-exports.map")
  # clang leaves the sanitizer runtime to the program that loads the server, so its
  # sanitized builds (the fuzz build among them) cannot insist that nothing is left
  # unresolved.
  if(NOT (CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND (QEL_FUZZ OR QEL_SANITIZE)))
    target_link_options(${name} PRIVATE "-Wl,--no-undefined")
  endif()
  set_target_properties(${name} PROPERTIES LINK_DEPENDS "${CMAKE_SOURCE_DIR}/cmake/server-exports.map")
endfunction()

# qel_add_fuzzer(NAME SOURCES src... LIBS lib...)
# A libFuzzer target, made in the fuzz build only. scripts/fuzz.sh runs it, seeded with
# the files that the glob of its source's "// fuzz-seeds: GLOB" line names.
function(qel_add_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT QEL_FUZZ)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()

# qel_add_area_library(NAME [SHARED|STATIC] LIBS lib... [TESTLIBS lib...] [FUZZLIBS lib...]
#                      [TESTPATHS name path...])
# A library made of every source of the current folder; name_test.cpp files form the test
# program NAME_tests (with the TESTPATHS, as qel_add_tests takes them) and name_fuzz.cpp
# files are fuzz targets, built apart.
function(qel_add_area_library name)
  cmake_parse_arguments(ARG "" "" "LIBS;TESTLIBS;FUZZLIBS;TESTPATHS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  file(GLOB fuzzers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_fuzz.cpp)
  if(tests)
    list(REMOVE_ITEM sources ${tests})
  endif()
  if(fuzzers)
    list(REMOVE_ITEM sources ${fuzzers})
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  if(tests)
    qel_add_tests(${name}_tests SOURCES ${tests} LIBS ${name} ${ARG_TESTLIBS} PATHS ${ARG_TESTPATHS})
  endif()
  foreach(fuzzer ${fuzzers})
    get_filename_component(fuzzname ${fuzzer} NAME_WE)
    qel_add_fuzzer(${fuzzname} SOURCES ${fuzzer} LIBS ${name} ${ARG_FUZZLIBS})
  endforeach()
endfunction()
