// The tray menu: what its two submenus hold after reloads, and what its entries do when chosen.
#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QTreeWidget>

#include "GuiFixture.h"

namespace kestrine::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

class TrayMenuTest : public GuiTest {
 protected:
  void Open() { emit form->PopupMenuTrayIcon->aboutToShow(); }

  // "caption#tag" per bookmark entry.
  std::vector<std::string> BookmarkEntries() const {
    std::vector<std::string> out;
    for (const QAction* entry : form->PopupMenuTrayIconBookmark->actions()) {
      out.push_back(Q8(entry->text()) + "#" + std::to_string(entry->property("Tag").toInt()));
    }
    return out;
  }
  // "caption{sheet#tag|...}" per book entry.
  std::vector<std::string> BookEntries() const {
    std::vector<std::string> out;
    for (const QAction* book : form->PopupMenuTrayIconBook->actions()) {
      std::string line = Q8(book->text()) + "{";
      if (const QMenu* sheets = book->menu()) {
        for (const QAction* sheet : sheets->actions()) {
          if (line.back() != '{') line += "|";
          line += Q8(sheet->text()) + "#" + std::to_string(sheet->property("Tag").toInt());
        }
      }
      out.push_back(line + "}");
    }
    return out;
  }
  // Every entry of the menu and its submenus that would draw an image.
  std::vector<std::string> EntriesWithImages() const {
    std::vector<std::string> out;
    std::function<void(const QMenu*)> visit = [&](const QMenu* menu) {
      for (const QAction* entry : menu->actions()) {
        if (!entry->icon().isNull() && entry->isIconVisibleInMenu())
          out.push_back(Q8(entry->text()));
        if (entry->menu()) visit(entry->menu());
      }
    };
    visit(form->PopupMenuTrayIcon);
    return out;
  }
  QAction* BookmarkEntry(int i) const { return form->PopupMenuTrayIconBookmark->actions().at(i); }
  QAction* SheetEntry(int book, int sheet) const {
    return form->PopupMenuTrayIconBook->actions().at(book)->menu()->actions().at(sheet);
  }
  static std::unique_ptr<TBookmarkItem> Mark(const char16_t* book, const char16_t* sheet,
                                             int column = 0, int row = 0) {
    return std::make_unique<TBookmarkItem>(u"", book, sheet, column, row);
  }
};

TEST_F(TrayMenuTest, EntriesFollowTheLastReload) {
  struct Case {
    const char* name;
    std::function<void(AutomationServer&)> books;
    std::vector<std::string> bookmarkEntries, bookEntries;
  };
  const std::vector<Case> cases = {
      {"no spreadsheet: both submenus empty", nullptr, {}, {}},
      {"eleven books, the sheet counter restarting under each",
       [](AutomationServer& s) {
         s.AddBook("B1", {"S1", "S2", "S3", "S4", "S5", "S6", "S7", "S8", "S9", "S10", "S11"});
         for (int b = 2; b <= 11; ++b) s.AddBook("B" + std::to_string(b), {"S"});
       },
       {},
       {"&1.B1{&1.S1#1|&2.S2#2|&3.S3#3|&4.S4#4|&5.S5#5|&6.S6#6|&7.S7#7|&8.S8#8|&9.S9#9|S10#10|"
        "S11#11}",
        "&2.B2{&1.S#12}", "&3.B3{&1.S#13}", "&4.B4{&1.S#14}", "&5.B5{&1.S#15}", "&6.B6{&1.S#16}",
        "&7.B7{&1.S#17}", "&8.B8{&1.S#18}", "&9.B9{&1.S#19}", "B10{&1.S#20}", "B11{&1.S#21}"}},
      {"\"&\" in names left as it is, hidden sheets and sheetless books absent",
       [](AutomationServer& s) {
         s.AddBook("R&D.xlsx", {"P&L", "&&"});
         s.AddBook("Empty.xlsx", {"Hid"}).sheets[0].visible = 0;
         s.AddBook("C.xlsx", {"X", "Hid"}).sheets[1].visible = 0;
       },
       // Bookmarks: listed; sheet hidden; book not open; listed.
       {"R&D.xlsx!P&L[A:1]#0", "C.xlsx!X[A:1]#3"},
       {"&1.R&D.xlsx{&1.P&L#1|&2.&&#2}", "&2.C.xlsx{&1.X#3}"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteConfig([](TConfig& config) {
      config.Bookmarks.push_back(Mark(u"R&D.xlsx", u"P&L"));
      config.Bookmarks.push_back(Mark(u"C.xlsx", u"Hid"));
      config.Bookmarks.push_back(Mark(u"Z.xlsx", u"X"));
      config.Bookmarks.push_back(Mark(u"C.xlsx", u"X"));
    });
    server.books.clear();
    if (c.books) {
      c.books(server);
      server.Register();
    } else {
      server.Revoke();
    }
    StartForm();
    warnings.boxes.clear();

    Open();
    EXPECT_THAT(BookmarkEntries(), ElementsAreArray(c.bookmarkEntries));
    EXPECT_THAT(BookEntries(), ElementsAreArray(c.bookEntries));
    // The fixed entries stay, last the reload.
    const QList<QAction*> top = form->PopupMenuTrayIcon->actions();
    ASSERT_EQ(top.size(), 3);
    EXPECT_EQ(top[2], form->ActionBookReload);
    EXPECT_THAT(EntriesWithImages(), IsEmpty());
    EXPECT_THAT(warnings.boxes, IsEmpty());
    form.reset();
  }
}

TEST_F(TrayMenuTest, ReopeningRebuildsFromTheTablesWithoutPilingUp) {
  WriteConfig([](TConfig& config) {
    config.Bookmarks.push_back(Mark(u"A.xlsx", u"S2"));
    config.Bookmarks.push_back(Mark(u"B.xlsx", u"T1"));
  });
  server.AddBook("A.xlsx", {"S1", "S2"});
  server.AddBook("B.xlsx", {"T1"});
  server.Register();
  StartForm();

  // Every object under the tray menu, so that entries left over from an earlier opening show.
  auto objects = [this] {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return form->PopupMenuTrayIcon->findChildren<QObject*>().size();
  };
  Open();
  const auto bookmarks = BookmarkEntries();
  const auto books = BookEntries();
  const auto count = objects();
  EXPECT_THAT(books, ElementsAre("&1.A.xlsx{&1.S1#1|&2.S2#2}", "&2.B.xlsx{&1.T1#3}"));
  Open();
  EXPECT_EQ(BookmarkEntries(), bookmarks);
  EXPECT_EQ(BookEntries(), books);
  EXPECT_EQ(objects(), count);
  EXPECT_EQ(form->PopupMenuTrayIconBook->findChildren<QMenu*>().size(), 2);

  // Building the menu never asks the spreadsheet; the next reload changes it.
  server.ClearCalls();
  server.books[0].sheets[1].visible = 0;
  Open();
  EXPECT_EQ(server.CallCount(), 0u);
  EXPECT_EQ(BookEntries(), books);
  form->N1->trigger();
  Open();
  EXPECT_THAT(BookmarkEntries(), ElementsAre("B.xlsx!T1[A:1]#1"));
  EXPECT_THAT(BookEntries(), ElementsAre("&1.A.xlsx{&1.S1#1}", "&2.B.xlsx{&1.T1#2}"));

  // A reload that cannot reach the spreadsheet leaves the last state in the menu.
  server.Revoke();
  form->N1->trigger();
  EXPECT_THAT(warnings.Texts(), ElementsAre("Excelに接続できませんでした。"));
  Open();
  EXPECT_THAT(BookEntries(), ElementsAre("&1.A.xlsx{&1.S1#1}", "&2.B.xlsx{&1.T1#2}"));
}

TEST_F(TrayMenuTest, EntriesJumpByTheirTagsAsTheTablesAreWhenChosen) {
  WriteConfig([](TConfig& config) {
    config.Bookmarks.push_back(Mark(u"A.xlsx", u"Gone"));
    config.Bookmarks.push_back(Mark(u"B.xlsx", u"T1", 2, 9));
  });
  server.AddBook("A.xlsx", {"S1", "S2"});
  server.AddBook("B.xlsx", {"T1"});
  server.Register();
  StartForm();
  Open();

  SheetEntry(0, 1)->trigger();
  EXPECT_EQ(server.ActiveCell(), "A.xlsx!S2 R1C1");
  BookmarkEntry(0)->trigger();  // the second bookmark, tagged 1
  EXPECT_EQ(server.ActiveCell(), "B.xlsx!T1 R10C3");
  EXPECT_EQ(server.bringToFrontCount, 2);

  // The menu built before a reload: its sheet tags name whatever has those numbers now.
  QAction* second = SheetEntry(0, 1);  // "&2.S2", tag 2
  QAction* third = SheetEntry(1, 0);   // "&1.T1", tag 3
  server.books.erase(server.books.begin());
  server.activeBook = -1;
  form->N1->trigger();  // B.xlsx!T1 is number 1 now, nothing is number 2 or 3
  server.ClearCalls();
  second->trigger();
  third->trigger();
  EXPECT_EQ(server.CallCount(), 0u);

  // A bookmark tag at or beyond the list's end does nothing.
  QAction* mark = BookmarkEntry(0);
  form->GetConfig().Bookmarks.pop_back();
  mark->trigger();
  // The actions themselves carry no tag: triggered on their own they do nothing either.
  form->ActionTrayIconSheetClick->trigger();
  form->ActionTrayIconBookmarkClick->trigger();
  form->ActionTrayIconSheetClickExecute(nullptr);
  EXPECT_EQ(server.CallCount(), 0u);
  EXPECT_THAT(warnings.boxes, IsEmpty());
  EXPECT_EQ(server.ActiveCell(), "none");
}

}  // namespace
}  // namespace kestrine::test
