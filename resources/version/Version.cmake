# Generates the version data of the build from VersionData.cmake:
#   generated/version/VersionData.h  header-only target kestrine_version_data, for platforms
#                                    without a version resource (#include "version/VersionData.h")
#   generated/version/Version.rc     the Windows VERSIONINFO (UTF-8), added to an executable by
#                                    kestrine_add_version_resource(<target>)
# Include it from the top-level CMakeLists.txt: the RC language is enabled here and must be
# enabled in the folder common to every target that uses it.
# The executable's main icon "MAINICON" is made of the PNG files in KESTRINE_APP_ICON_PNGS
# (8-bit RGBA, at most 256 pixels square; by default resources/icons/app-<size>.png), each
# kept PNG-compressed as Windows Vista and later read it.
include_guard(GLOBAL)
include(${CMAKE_CURRENT_LIST_DIR}/VersionData.cmake)

if(NOT DEFINED KESTRINE_APP_ICON_PNGS)
  set(KESTRINE_APP_ICON_PNGS "")
  foreach(size 16 32 48 256)
    set(png ${CMAKE_CURRENT_LIST_DIR}/../icons/app-${size}.png)
    if(EXISTS ${png})
      get_filename_component(png ${png} REALPATH)
      list(APPEND KESTRINE_APP_ICON_PNGS ${png})
    endif()
  endforeach()
endif()

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

# The RT_ICON entries and the RT_GROUP_ICON "MAINICON" over them, as .rc text. A group
# entry holds the size of its image, so a changed PNG must configure the build again.
function(_kestrine_icon_resource out)
  set(text "")
  set(group "")
  set(count 0)
  foreach(png IN LISTS KESTRINE_APP_ICON_PNGS)
    if(NOT EXISTS "${png}")
      message(FATAL_ERROR "Icon image ${png} not found")
    endif()
    file(READ "${png}" header LIMIT 26 HEX)
    string(SUBSTRING "${header}" 0 16 signature)
    string(SUBSTRING "${header}" 32 8 width)
    string(SUBSTRING "${header}" 40 8 height)
    string(SUBSTRING "${header}" 48 4 format)  # bit depth, colour type
    math(EXPR width "0x${width}")
    math(EXPR height "0x${height}")
    if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT format STREQUAL "0806"
       OR width GREATER 256 OR height GREATER 256)
      message(FATAL_ERROR "${png}: an icon image must be an 8-bit RGBA PNG of 256 pixels or less")
    endif()
    file(SIZE "${png}" size)
    math(EXPR count "${count} + 1")
    math(EXPR dimensions "(${width} % 256) + (${height} % 256) * 256")  # 256 is written as 0
    file(TO_CMAKE_PATH "${png}" path)
    string(APPEND text "${count} 3 \"${path}\"\n")
    string(APPEND group ",\n  ${dimensions}, 0, 1, 32, ${size}L, ${count}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${png}")
  endforeach()
  if(count GREATER 0)
    string(APPEND text "MAINICON 14\nBEGIN\n  0, 1, ${count}${group}\nEND\n")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
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

  _kestrine_icon_resource(KESTRINE_RC_ICON)

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
