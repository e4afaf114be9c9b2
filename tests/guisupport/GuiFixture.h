#pragma once
// What the widget tests share: a private config folder, the in-memory server, a recorder of
// warning boxes, and a main window that has been through its first idle pass.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "QtTestSupport.h"
#include "app/Application.h"
#include "app/FormMain.h"
#include "support/AutomationServer.h"
#include "support/TestHelpers.h"

class QTreeWidgetItem;

namespace kestrine::test {

struct WarningBoxRecord {
  QString text;
  bool hourglass;      // the hourglass was up while the box was open
  QString statusText;  // the status bar while the box was open
};

class GuiTest : public ::testing::Test {
 protected:
  GuiTest();
  ~GuiTest() override;

  // Writes the configuration file the window will load.
  void WriteConfig(const std::function<void(TConfig&)>& change);
  // A new window, shown, after its first idle pass.
  TFormMain& StartForm();

  // The tree as text: "A.xlsx[S1,S3]" per book node, bookmark root left out.
  std::vector<std::string> BookNodes() const;
  // The checks that hold after every reload: tables and tree agree.
  void ExpectTablesMatchTree() const;
  void DoubleClick(QTreeWidgetItem* item);
  void DoubleClickEmptySpace();
  std::vector<std::string> WarningTexts() const;

  ScopedConfigHome home;
  AutomationServer server;
  std::vector<WarningBoxRecord> warnings;
  std::unique_ptr<TFormMain> form;

 private:
  kestrine::app::WarningBoxFunction previous_;
};

// Runs a real event loop, which blocks when idle (QTest::qWait never does), until `done`
// holds or the time is up; returns whether `done` held.
bool RunEventLoop(int milliseconds, const std::function<bool()>& done = {});

}  // namespace kestrine::test
