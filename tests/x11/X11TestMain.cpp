// One X session per test process, made before the application connects to it.
#include <gtest/gtest.h>

#include <memory>

#include "app/Application.h"
#include "support/XDisplay.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  kestrine::test::XDisplay session;
  qputenv("QT_QPA_PLATFORM", "xcb");
  kestrine::app::TApplication::PrepareEnvironment();
  kestrine::app::TApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
