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

  static UnicodeString GetFileName();
  void Load(const UnicodeString& fileName);
  void Save(const UnicodeString& fileName);

 private:
  int windowState_;
  int hotKeyCodeIndex_;
};
