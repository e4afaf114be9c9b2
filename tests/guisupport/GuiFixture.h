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
#include "WarningBoxes.h"
#include "app/Application.h"
#include "app/FormMain.h"
#include "support/AutomationServer.h"
#include "support/TestHelpers.h"

class QTreeWidgetItem;

namespace kestrine::test {

// A bookmark as "name|Book!Sheet|column,row".
std::string Describe(const TBookmarkItem& b);

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

  ScopedConfigHome home;
  AutomationServer server;
  // The boxes, with the status bar's text at the time.
  WarningBoxRecorder warnings{[this] { return form ? form->GetStatusText() : QString(); }};
  std::unique_ptr<TFormMain> form;
};

}  // namespace kestrine::test
