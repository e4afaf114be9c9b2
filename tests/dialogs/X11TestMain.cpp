// The global hotkey needs a real X server: this program starts its own, on a display number
// the server picks itself, and stops it by its process id.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <stdexcept>

#include "support/XDisplay.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  try {
    kestrine::test::XDisplay::Options bare;
    bare.windowManager = bare.trayHost = false;
    const kestrine::test::XDisplay display(bare);
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
  } catch (const std::runtime_error& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
