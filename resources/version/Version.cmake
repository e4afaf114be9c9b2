# Generates the version data of the build from VersionData.cmake:
#   generated/version/VersionData.h  header-only target kestrine_version_data, for platforms
#                                    without a version resource (#include "version/VersionData.h")
#   generated/version/Version.rc     the Windows VERSIONINFO (UTF-8), added to an executable by
#                                    kestrine_add_version_resource(<target>)
# Include it from the top-level CMakeLists.txt: the RC language is enabled here and must be
# enabled in the folder common to every target that uses it.
# KESTRINE_APP_ICON, when set to an .ico file, becomes the executable's main icon "MAINICON".
include_guard(GLOBAL)
include(${CMAKE_CURRENT_LIST_DIR}/VersionData.cmake)

# "0.2.3.0" -> "0, 2, 3, 0"
function(_kestrine_version_numbers dotted out)
  if(NOT dotted MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
    message(FATAL_ERROR "Version '${dotted}' is not four numbers separated by dots")
  endif()
  foreach(i 1 2 3 4)
    if(CMAKE_MATCH_${i} GREATER 65535)
      message(FATAL_ERROR "Version '${dotted}': each part must fit in 16 bits")
    endif()
  endforeach()
  set(${out} "${CMAKE_MATCH_1}, ${CMAKE_MATCH_2}, ${CMAKE_MATCH_3}, ${CMAKE_MATCH_4}"
      PARENT_SCOPE)
endfunction()

# 0x0411 -> "0411", 932 -> "03A4"
function(_kestrine_hex4 number out)
  math(EXPR hex "${number}" OUTPUT_FORMAT HEXADECIMAL)
  string(SUBSTRING "${hex}" 2 -1 hex)
  string(TOUPPER "${hex}" hex)
  string(LENGTH "${hex}" length)
  while(length LESS 4)
    string(PREPEND hex "0")
    math(EXPR length "${length} + 1")
  endwhile()
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()

function(_kestrine_generate_version_data)
  _kestrine_version_numbers("${KESTRINE_VERSION_FILE}" KESTRINE_RC_FILE_VERSION)
  _kestrine_version_numbers("${KESTRINE_VERSION_PRODUCT}" KESTRINE_RC_PRODUCT_VERSION)
  _kestrine_hex4(${KESTRINE_VERSION_LANGUAGE} language)
  _kestrine_hex4(${KESTRINE_VERSION_CODEPAGE} codepage)
  set(KESTRINE_RC_BLOCK "${language}${codepage}")

  set(rc "")
  set(cpp "")
  foreach(key IN LISTS KESTRINE_VERSION_KEYS)
    set(value "${KESTRINE_VERSION_STRING_${key}}")
    if(value MATCHES "[\r\n]")
      message(FATAL_ERROR "Version string ${key} must be one line")
    endif()
    string(REPLACE "\\" "\\\\" escaped "${value}")
    string(REPLACE "\"" "\"\"" rcValue "${escaped}")
    string(REPLACE "\"" "\\\"" cppValue "${escaped}")
    string(APPEND rc "      VALUE \"${key}\", \"${rcValue}\"\n")
    string(APPEND cpp "    {u\"${key}\", u\"${cppValue}\"},\n")
  endforeach()
  string(REGEX REPLACE "\n$" "" KESTRINE_RC_STRINGS "${rc}")
  string(REGEX REPLACE "\n$" "" KESTRINE_CPP_STRINGS "${cpp}")

  set(KESTRINE_RC_ICON "")
  if(KESTRINE_APP_ICON)
    file(TO_CMAKE_PATH "${KESTRINE_APP_ICON}" icon)
    set(KESTRINE_RC_ICON "MAINICON ICON \"${icon}\"")
  endif()

  set(dir ${CMAKE_BINARY_DIR}/generated/version)
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/VersionData.h.in ${dir}/VersionData.h @ONLY)
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/Version.rc.in ${dir}/Version.rc @ONLY)
endfunction()

_kestrine_generate_version_data()

add_library(kestrine_version_data INTERFACE)
target_include_directories(kestrine_version_data INTERFACE ${CMAKE_BINARY_DIR}/generated)

if(WIN32)
  enable_language(RC)
endif()

# Links the VERSIONINFO (and the main icon) into a Windows executable; nothing elsewhere.
function(kestrine_add_version_resource target)
  if(WIN32)
    target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/generated/version/Version.rc)
  endif()
endfunction()
