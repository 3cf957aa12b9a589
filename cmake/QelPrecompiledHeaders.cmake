# Precompiled headers. The framework's and the template library's umbrella headers (afx.h,
# atlbase.h) and GoogleTest's take longer to read than many units take to compile; they
# are read once per kind of unit instead of once in every unit.
#
# gcc uses a precompiled header only in a unit compiled as it was, and a library's units
# (-fPIC) and a program's (-fPIE) are not; so each kind has its own, made by a target of
# its own that the others reuse. That target stays small because each target that reuses
# it waits for all of it.
#
# Only g++ builds use them, and of g++ 12 only its unoptimized builds (the sanitizer build):
# - g++ before 13 leaves the headers' diagnostic pragmas out of a precompiled header, so
#   the warnings that libstdc++ turns off around its own code fire in optimized units that
#   use std::string (false -Warray-bounds);
# - ccache cannot share clang's between clones: clang's header records the clone's paths,
#   and its -Xclang arguments keep them on the compile line, so in a fresh clone every unit
#   that used one would miss the cache.
# The other builds read the headers, keep every warning and find their units in the cache.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU"
   AND (CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 13 OR CMAKE_BUILD_TYPE STREQUAL "Debug"))
  set(QEL_PRECOMPILE ON)
else()
  set(QEL_PRECOMPILE OFF)
endif()

# qel_precompile(NAME PROGRAM|LIBRARY HEADERS header... LIBS lib...)
# The target NAME that makes the precompiled HEADERS, found through LIBS, for the units
# of programs or of libraries.
function(qel_precompile name kind)
  cmake_parse_arguments(ARG "" "" "HEADERS;LIBS" ${ARGN})
  # CMake makes the header only for a target with a unit of that language.
  set(unit ${CMAKE_CURRENT_BINARY_DIR}/${name}.cpp)
  file(CONFIGURE OUTPUT ${unit} CONTENT "// Only here to make the precompiled header of ${name}.\n")
  add_library(${name} OBJECT ${unit})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_precompile_headers(${name} PRIVATE ${ARG_HEADERS})
  if(kind STREQUAL PROGRAM)
    set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE OFF)
    target_compile_options(${name} PRIVATE -fPIE)
  endif()
endfunction()

# Everything above the platform layer starts from the framework and the template library;
# the platform's own tests get GoogleTest only, since the layers below the framework never
# see it. Made here, before the targets that reuse them, which CMake needs.
if(QEL_PRECOMPILE)
  qel_precompile(qel_framework_pch LIBRARY HEADERS <afx.h> <atlbase.h> LIBS qelafx qelatl)
  qel_precompile(qel_framework_tests_pch PROGRAM HEADERS <afx.h> <atlbase.h> <gtest/gtest.h>
    LIBS qelafx qelatl GTest::gtest)
  qel_precompile(qel_platform_tests_pch PROGRAM HEADERS <gtest/gtest.h> LIBS GTest::gtest)
endif()

# qel_reuse_precompiled_headers(): once every target is made, each that can takes its kind's.
function(qel_reuse_precompiled_headers)
  if(NOT QEL_PRECOMPILE)
    return()
  endif()
  foreach(target qelcommon qelhostlib korvex_symdb korvex_symserver korvex_progfiles)
    target_precompile_headers(${target} REUSE_FROM qel_framework_pch)
  endforeach()
  foreach(target qelcommon_tests qelhostlib_tests korvex_symdb_tests korvex_symserver_tests
                 korvex_server_tests korvex_progfiles_tests)
    target_precompile_headers(${target} REUSE_FROM qel_framework_tests_pch)
  endforeach()
  foreach(target qelwin_tests qelcom_tests qelafx_tests qelatl_tests qeldao_tests)
    target_precompile_headers(${target} REUSE_FROM qel_platform_tests_pch)
  endforeach()
endfunction()
