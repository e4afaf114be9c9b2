# kestrine_discovered_tests_properties(<target> <property> <value> ...)
#
# Sets properties on every test that gtest_discover_tests finds in <target>, after the
# discovery. gtest_discover_tests flattens its PROPERTIES into one list, so a value that is a
# list itself (two labels, two environment variables) keeps only its first element and shifts
# every pair after it. Call this after gtest_discover_tests with the default TEST_LIST.
function(kestrine_discovered_tests_properties target)
  math(EXPR count "${ARGC} - 1")
  math(EXPR odd "${count} % 2")
  if(count EQUAL 0 OR odd)
    message(FATAL_ERROR "kestrine_discovered_tests_properties: property and value pairs expected")
  endif()
  set(pairs "")
  math(EXPR last "${ARGC} - 1")
  foreach(i RANGE 1 ${last} 2)
    math(EXPR j "${i} + 1")
    # ARGV<n> keeps each argument whole, a list included.
    string(APPEND pairs " ${ARGV${i}} [==[${ARGV${j}}]==]")
  endforeach()
  set(file ${CMAKE_CURRENT_BINARY_DIR}/${target}_properties.cmake)
  file(WRITE ${file} "foreach(t IN LISTS ${target}_TESTS)\n"
                     "  set_tests_properties(\${t} PROPERTIES${pairs})\n"
                     "endforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${file})
endfunction()
