// The dialogs need the program's application object: it is the one handler for exceptions
// that escape an event handler.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/Application.h"
#include "support/TestHelpers.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  const kestrine::test::ScopedConfigHome home;
  kestrine::app::TApplication::PrepareEnvironment();
  kestrine::app::TApplication application(argc, argv);
  QApplication::setApplicationName(kestrine::app::kApplicationTitle);
  return RUN_ALL_TESTS();
}
