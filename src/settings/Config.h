#pragma once
#include <memory>
#include <vector>

#include "base/UnicodeString.h"
#include "bookmarks/BookmarkItem.h"

// Every setting and the bookmark list, kept in one INI file.
class TConfig {
 public:
  TConfig();
  ~TConfig();
  TConfig(const TConfig&) = delete;
  TConfig& operator=(const TConfig&) = delete;

  bool WindowPositionRestore;
  struct {
    int Left, Top, Width, Height;
  } WindowPosition;
  bool ShowStayOnTop, InTaskTray, UseHotKey;
  std::vector<std::unique_ptr<TBookmarkItem>> Bookmarks;

  int GetWindowState() const { return windowState_; }
  void SetWindowState(int value);
  int GetHotKeyCodeIndex() const { return hotKeyCodeIndex_; }
  void SetHotKeyCodeIndex(int value);
  void ClearBookmarks();

  // The sheet finder's own hotkey. Its section is written only once it has been set to other
  // values or was read from the file, so a default file keeps its lines.
  bool GetFinderUseHotKey() const { return finderUseHotKey_; }
  int GetFinderHotKeyCodeIndex() const { return finderHotKeyCodeIndex_; }
  // The index goes through the same range rule as SetHotKeyCodeIndex.
  void SetFinderHotKey(bool use, int index);

  static UnicodeString GetFileName();
  void Load(const UnicodeString& fileName);
  void Save(const UnicodeString& fileName);

 private:
  int windowState_;
  int hotKeyCodeIndex_;
  bool finderUseHotKey_;
  int finderHotKeyCodeIndex_;
  bool finderStored_;
};
