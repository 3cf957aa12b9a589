# qel_version_resource(TARGET FILE_VERSION a.b.c.d INTERNAL_NAME NAME DESCRIPTION TEXT
#                      [TRANSLATION LANGUAGE CODEPAGE])
# Gives TARGET its version resource: a unit that the build writes (cmake/versionresource.cpp
# makes it) defines g_QelVersionResource (versioninfo.h), the RT_VERSION resource 1 with
# the VS_VERSIONINFO block of the description, which the module puts into the resource
# table it registers. The translation is 0x0409 0x04E4 (U.S. English, code page 1252)
# unless TRANSLATION names another.
add_executable(qelversionres ${CMAKE_CURRENT_LIST_DIR}/versionresource.cpp)

function(qel_version_resource target)
  cmake_parse_arguments(ARG "" "FILE_VERSION;INTERNAL_NAME;DESCRIPTION" "TRANSLATION" ${ARGN})
  if(NOT ARG_FILE_VERSION OR NOT ARG_INTERNAL_NAME OR NOT ARG_DESCRIPTION)
    message(FATAL_ERROR "qel_version_resource(${target}) needs FILE_VERSION, INTERNAL_NAME and DESCRIPTION")
  endif()
  set(unit ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.cpp)
  add_custom_command(OUTPUT ${unit}
    COMMAND qelversionres ${unit} ${ARG_FILE_VERSION} ${ARG_INTERNAL_NAME} ${ARG_DESCRIPTION} ${ARG_TRANSLATION}
    DEPENDS qelversionres
    COMMENT "Writing the version resource of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${unit})
endfunction()
