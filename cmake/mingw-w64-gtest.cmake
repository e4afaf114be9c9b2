# GoogleTest for the Windows cross build: no prebuilt copy exists for the target, so the
# sources Debian ships in /usr/src/googletest are built with the cross compiler. Afterwards
# find_package(GTest) finds these targets (GTest::gtest, GTest::gtest_main, GTest::gmock).
include_guard(GLOBAL)
set(_kestrine_gtest_config ${CMAKE_BINARY_DIR}/googletest-config)
if(NOT TARGET GTest::gtest)
  if(NOT GTest_DIR STREQUAL _kestrine_gtest_config)
    find_package(GTest QUIET)
  endif()
  if(NOT GTest_FOUND OR GTest_DIR STREQUAL _kestrine_gtest_config)
    set(KESTRINE_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(${KESTRINE_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL
                     SYSTEM)
    # A package file that only says "found": the targets exist already.
    file(WRITE ${_kestrine_gtest_config}/GTestConfig.cmake
         "# GoogleTest built from source in this tree\n")
    set(GTest_DIR ${_kestrine_gtest_config} CACHE PATH "" FORCE)
  endif()
endif()
