// The widget tests need the application object before any test runs.
#include <gtest/gtest.h>

#include "app/Application.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  kestrine::app::TApplication::PrepareEnvironment();
  kestrine::app::TApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
