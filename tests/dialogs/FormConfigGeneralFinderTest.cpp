// The finder's group in the general settings dialog: below the first controls, which keep
// their places, texts and tab order.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "QtTestSupport.h"
#include "WarningBoxes.h"
#include "settings/Config.h"
#include "settings/FormConfigGeneral.h"

namespace kestrine::test {
namespace {

TEST(FormConfigGeneralFinderTest, GroupSitsBelowAndTheFirstControlsStayAsTheyWere) {
  TFormConfigGeneral form;
  struct Place {
    QWidget* widget;
    QRect rect;
    const char* text;
  };
  const Place places[] = {
      {form.CheckBoxWindowPositionRestore,
       {16, 16, 265, 17},
       "前回終了時のウィンドウサイズを起動時に復元する"},
      {form.CheckBoxInTaskTray, {16, 46, 265, 17}, "最小化したときタスクトレイに入れる"},
      {form.CheckBoxUseHotKey, {16, 80, 161, 17}, "ホットキーを使用する"},
      {form.Label1, {67, 106, 20, 13}, "キー"},
      {form.ComboBoxHotKeyCode, {98, 103, 151, 21}, ""},
      {form.BitBtn1, {191, 16, 75, 25}, "OK"},
      {form.BitBtn2, {272, 16, 83, 25}, "キャンセル"},
  };
  for (const Place& p : places) {
    SCOPED_TRACE(Q8(p.widget->objectName()) + p.text);
    EXPECT_EQ(p.widget->geometry(), p.rect);
    if (auto* button = qobject_cast<QAbstractButton*>(p.widget)) {
      EXPECT_EQ(Q8(button->text()), p.text);
    } else if (auto* label = qobject_cast<QLabel*>(p.widget)) {
      EXPECT_EQ(Q8(label->text()), p.text);
    }
  }
  EXPECT_EQ(form.width(), 373);
  // The panel still runs along the whole bottom edge; the group fills the new space above it.
  EXPECT_EQ(form.PanelBottom->geometry(), QRect(0, form.height() - 57, 373, 57));
  const QRect group = form.GroupBoxFinder->geometry();
  EXPECT_GT(group.top(), form.ComboBoxHotKeyCode->geometry().bottom());
  EXPECT_LT(group.bottom(), form.PanelBottom->geometry().top());
  EXPECT_EQ(Q8(form.GroupBoxFinder->title()), "シートの検索");
  EXPECT_EQ(form.ComboBoxFinderHotKeyCode->count(), 76);
  EXPECT_FALSE(form.ComboBoxFinderHotKeyCode->isEditable());

  // Tab order: the described one, then the group's two controls, and round again.
  const QWidget* expected[] = {form.BitBtn1,
                               form.BitBtn2,
                               form.CheckBoxWindowPositionRestore,
                               form.CheckBoxInTaskTray,
                               form.CheckBoxUseHotKey,
                               form.ComboBoxHotKeyCode,
                               form.CheckBoxFinderUseHotKey,
                               form.ComboBoxFinderHotKeyCode,
                               form.BitBtn1};
  for (size_t i = 0; i + 1 < std::size(expected); ++i) {
    SCOPED_TRACE(Q8(expected[i]->objectName()));
    const QWidget* next = expected[i]->nextInFocusChain();
    while (next && !(next->focusPolicy() & Qt::TabFocus)) next = next->nextInFocusChain();
    EXPECT_EQ(next, expected[i + 1]);
  }
}

TEST(FormConfigGeneralFinderTest, LoadAndStoreCarryTheFinderHotKey) {
  TConfig config;
  config.SetFinderHotKey(true, 40);
  TFormConfigGeneral form;
  form.LoadFromConfig(config);
  EXPECT_TRUE(form.CheckBoxFinderUseHotKey->isChecked());
  EXPECT_EQ(form.ComboBoxFinderHotKeyCode->currentIndex(), 40);

  form.CheckBoxFinderUseHotKey->setChecked(false);
  form.ComboBoxFinderHotKeyCode->setCurrentIndex(-1);
  form.StoreToConfig(config);
  EXPECT_FALSE(config.GetFinderUseHotKey());
  EXPECT_EQ(config.GetFinderHotKeyCodeIndex(), 0) << "no entry selected stores index 0";
}

}  // namespace
}  // namespace kestrine::test
