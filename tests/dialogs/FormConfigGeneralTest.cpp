#include "settings/FormConfigGeneral.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include "QtTestSupport.h"
#include "WarningBoxes.h"
#include "hotkey/HotKeyCode.h"
#include "settings/Config.h"
#include "support/AutomationServer.h"

namespace kestrine::test {
namespace {

TEST(FormConfigGeneralTest, OffersThe76CombinationsInTableOrder) {
  TFormConfigGeneral form;
  const std::vector<UnicodeString> names = THotKeyCode::GetNames();
  ASSERT_EQ(form.ComboBoxHotKeyCode->count(), 76);
  for (int i = 0; i < 76; ++i) {
    EXPECT_EQ(Q8(form.ComboBoxHotKeyCode->itemText(i)), U8(names[static_cast<size_t>(i)]));
  }
  EXPECT_FALSE(form.ComboBoxHotKeyCode->isEditable());
}

struct Options {
  bool restore, tray, hotKey;
  int index;
};

TEST(FormConfigGeneralTest, LoadAndStoreCarryTheFourOptionsAndNothingElse) {
  const Options cases[] = {{false, false, false, 0},
                           {true, false, true, 26},
                           {false, true, false, 75},
                           {true, true, true, 52}};
  for (const Options& o : cases) {
    SCOPED_TRACE(o.index);
    TConfig config;
    config.WindowPositionRestore = o.restore;
    config.InTaskTray = o.tray;
    config.UseHotKey = o.hotKey;
    config.SetHotKeyCodeIndex(o.index);
    TFormConfigGeneral form;
    form.LoadFromConfig(config);
    EXPECT_EQ(form.CheckBoxWindowPositionRestore->isChecked(), o.restore);
    EXPECT_EQ(form.CheckBoxInTaskTray->isChecked(), o.tray);
    EXPECT_EQ(form.CheckBoxUseHotKey->isChecked(), o.hotKey);
    EXPECT_EQ(form.ComboBoxHotKeyCode->currentIndex(), o.index);
    // The dialog does not tie the list to the tick.
    EXPECT_TRUE(form.ComboBoxHotKeyCode->isEnabled());

    // Stored into a record whose other settings must survive.
    TConfig target;
    target.ShowStayOnTop = true;
    target.WindowPosition.Width = 500;
    target.SetWindowState(2);
    target.WindowPositionRestore = !o.restore;
    target.InTaskTray = !o.tray;
    target.UseHotKey = !o.hotKey;
    target.SetHotKeyCodeIndex(o.index == 0 ? 1 : 0);
    form.StoreToConfig(target);
    EXPECT_EQ(target.WindowPositionRestore, o.restore);
    EXPECT_EQ(target.InTaskTray, o.tray);
    EXPECT_EQ(target.UseHotKey, o.hotKey);
    EXPECT_EQ(target.GetHotKeyCodeIndex(), o.index);
    EXPECT_TRUE(target.ShowStayOnTop);
    EXPECT_EQ(target.WindowPosition.Width, 500);
    EXPECT_EQ(target.GetWindowState(), 2);
  }
}

TEST(FormConfigGeneralTest, NoEntrySelectedStoresIndexZero) {
  TConfig config;
  config.SetHotKeyCodeIndex(30);
  TFormConfigGeneral form;
  form.LoadFromConfig(config);
  form.ComboBoxHotKeyCode->setCurrentIndex(-1);
  form.StoreToConfig(config);
  EXPECT_EQ(config.GetHotKeyCodeIndex(), 0);
}

TEST(FormConfigGeneralTest, OkAcceptsTheUsersChanges) {
  const std::pair<const char*, std::function<void(TFormConfigGeneral&)>> confirms[] = {
      {"OK button", [](TFormConfigGeneral& f) { QTest::mouseClick(f.BitBtn1, Qt::LeftButton); }},
      {"Enter",
       [](TFormConfigGeneral& f) { QTest::keyClick(f.ComboBoxHotKeyCode, Qt::Key_Return); }},
  };
  for (const auto& [name, confirm] : confirms) {
    SCOPED_TRACE(name);
    TConfig config;
    TFormConfigGeneral form;
    form.LoadFromConfig(config);
    ModalAnswers driver({[&](QWidget*) {
      QTest::mouseClick(form.CheckBoxUseHotKey, Qt::LeftButton);
      QTest::mouseClick(form.CheckBoxInTaskTray, Qt::LeftButton);
      QTest::keyClick(form.ComboBoxHotKeyCode, Qt::Key_Down);
      confirm(form);
    }});
    ASSERT_EQ(form.exec(), QDialog::Accepted);
    form.StoreToConfig(config);
    EXPECT_TRUE(config.UseHotKey);
    EXPECT_TRUE(config.InTaskTray);
    EXPECT_FALSE(config.WindowPositionRestore);
    EXPECT_EQ(config.GetHotKeyCodeIndex(), 1);
  }
}

TEST(FormConfigGeneralTest, CancelEscAndCloseBoxReject) {
  const std::pair<const char*, std::function<void(TFormConfigGeneral&)>> closers[] = {
      {"cancel button",
       [](TFormConfigGeneral& f) { QTest::mouseClick(f.BitBtn2, Qt::LeftButton); }},
      {"Esc", [](TFormConfigGeneral& f) { QTest::keyClick(f.CheckBoxUseHotKey, Qt::Key_Escape); }},
      {"close box", [](TFormConfigGeneral& f) { f.close(); }},
  };
  for (const auto& [name, close] : closers) {
    SCOPED_TRACE(name);
    TFormConfigGeneral form;
    ModalAnswers driver({[&](QWidget*) {
      QTest::mouseClick(form.CheckBoxUseHotKey, Qt::LeftButton);
      close(form);
    }});
    EXPECT_EQ(form.exec(), QDialog::Rejected);
    EXPECT_TRUE(driver.AllStepsRan());
  }
}

TEST(FormConfigGeneralTest, F1AsksForTopic6) {
  TFormConfigGeneral form;
  std::vector<int> topics;
  form.OnHelp = [&](int topic) { topics.push_back(topic); };
  QTest::keyClick(form.ComboBoxHotKeyCode, Qt::Key_F1);
  QTest::keyClick(form.CheckBoxInTaskTray, Qt::Key_F1);
  EXPECT_EQ(topics, (std::vector<int>{6, 6}));
}

}  // namespace
}  // namespace kestrine::test
