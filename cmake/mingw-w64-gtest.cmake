# GoogleTest for the Windows cross build: no prebuilt copy exists for the target, so the
# sources Debian ships in /usr/src/googletest are built with the cross compiler. Afterwards
# find_package(GTest) finds these targets (GTest::gtest, GTest::gtest_main, GTest::gmock).
include_guard(GLOBAL)
find_package(GTest QUIET)
if(NOT GTest_FOUND AND NOT TARGET GTest::gtest)
  set(KESTRINE_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${KESTRINE_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL
                   SYSTEM)
  # A package file that only says "found": the targets exist already.
  set(_config_dir ${CMAKE_BINARY_DIR}/googletest-config)
  file(WRITE ${_config_dir}/GTestConfig.cmake "# GoogleTest built from source in this tree\n")
  set(GTest_DIR ${_config_dir} CACHE PATH "" FORCE)
endif()
