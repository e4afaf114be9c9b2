#include "GuiFixture.h"

#include <QApplication>
#include <QEventLoop>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "app/Application.h"
#include "app/QtText.h"

namespace kestrine::test {

GuiTest::GuiTest() = default;

GuiTest::~GuiTest() {
  form.reset();
  while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

std::string Describe(const TBookmarkItem& b) {
  return U8(b.Name) + "|" + U8(b.BookName) + "!" + U8(b.SheetName) + "|" +
         std::to_string(b.Column) + "," + std::to_string(b.Row);
}

void GuiTest::WriteConfig(const std::function<void(TConfig&)>& change) {
  TConfig config;
  change(config);
  config.Save(TConfig::GetFileName());
}

TFormMain& GuiTest::StartForm() {
  form = std::make_unique<TFormMain>();
  form->show();
  EXPECT_TRUE(WaitFor(5000, [&] { return form->FirstIdleDone(); }));
  return *form;
}

std::vector<std::string> GuiTest::BookNodes() const {
  std::vector<std::string> out;
  const QTreeWidget* tree = form->TreeViewBook;
  for (int i = 1; i < tree->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* book = tree->topLevelItem(i);
    std::string line = Q8(book->text(0)) + "[";
    for (int s = 0; s < book->childCount(); ++s) {
      line += (s ? "," : "") + Q8(book->child(s)->text(0));
    }
    out.push_back(line + "]");
  }
  return out;
}

void GuiTest::ExpectTablesMatchTree() const {
  const auto& sheets = form->GetSheetTable();
  const auto& nodes = form->GetNodeTable();
  const QTreeWidget* tree = form->TreeViewBook;
  int k = 0;
  for (int i = 1; i < tree->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* book = tree->topLevelItem(i);
    for (int s = 0; s < book->childCount(); ++s) {
      const QTreeWidgetItem* sheet = book->child(s);
      ++k;
      const auto node = nodes.find(sheet);
      ASSERT_NE(node, nodes.end()) << "sheet node " << k << " missing from the node table";
      EXPECT_EQ(node->second, k);
      const auto entry = sheets.find(k);
      ASSERT_NE(entry, sheets.end());
      EXPECT_EQ(kestrine::app::ToQString(entry->second.first), book->text(0));
      EXPECT_EQ(kestrine::app::ToQString(entry->second.second), sheet->text(0));
    }
  }
  EXPECT_EQ(sheets.size(), static_cast<size_t>(k));
  EXPECT_EQ(nodes.size(), static_cast<size_t>(k));
  if (!sheets.empty()) {
    EXPECT_EQ(sheets.rbegin()->first, k);
  }
}

void GuiTest::DoubleClick(QTreeWidgetItem* item) {
  QTreeWidget* tree = form->TreeViewBook;
  tree->scrollToItem(item);
  const QPoint pos = tree->visualItemRect(item).center();
  // The tree ignores a double click that comes without a click first.
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, pos);
  QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, pos);
}

void GuiTest::DoubleClickEmptySpace() {
  QTreeWidget* tree = form->TreeViewBook;
  const QPoint pos(tree->viewport()->width() / 2, tree->viewport()->height() - 3);
  ASSERT_EQ(tree->itemAt(pos), nullptr);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, pos);
  QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, pos);
}

}  // namespace kestrine::test
