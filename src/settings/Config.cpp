#include "settings/Config.h"

#include <algorithm>
#include <set>

#include "base/Notice.h"
#include "hotkey/HotKeyCode.h"
#include "platform/Platform.h"
#include "settings/MemIniFile.h"
#include "settings/ShellFolder.h"

namespace platform = kestrine::platform;

namespace {

const UnicodeString kSystem = u"SYSTEM";
const UnicodeString kStartup = u"STARTUP";
const UnicodeString kBookmark = u"BOOKMARK";
const UnicodeString kFinder = u"FINDER";
// Ctrl+Alt+F: "F" for find, and clear of the other hotkey's default, Ctrl+A.
constexpr int kFinderHotKeyDefault = 31;

int HotKeyIndexInRange(int value) {
  return (value >= 0 && static_cast<unsigned int>(value) < THotKeyCode::kCount) ? value : 0;
}

UnicodeString ItemKey(long long index) { return u"Item" + kestrine::IntToStr(index); }

// The indices below `count` for which the section can hold an "Item" key. Reading only these
// gives the same list as trying every index, without looping two billion times on a hostile
// "Count".
std::vector<long long> ItemIndices(const TMemIniFile& ini, int count) {
  std::set<long long> indices;
  for (const UnicodeString& key : ini.ReadSectionKeys(kBookmark)) {
    const UnicodeString upper = platform::UpperCase(key);
    if (upper.size() < 5 || upper.size() > 14 || upper.compare(0, 4, u"ITEM") != 0) continue;
    const std::u16string_view digits = std::u16string_view(upper).substr(4);
    if (!std::all_of(digits.begin(), digits.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; }))
      continue;
    if (digits.size() > 1 && digits[0] == u'0') continue;  // "Item%d" never has leading zeros
    long long value = 0;
    for (const char16_t c : digits) value = value * 10 + (c - u'0');
    if (value < count) indices.insert(value);
  }
  return {indices.begin(), indices.end()};
}

}  // namespace

TConfig::TConfig()
    : WindowPositionRestore(false),
      WindowPosition{0, 0, 236, 320},
      ShowStayOnTop(false),
      InTaskTray(false),
      UseHotKey(false),
      windowState_(0),
      hotKeyCodeIndex_(0),
      finderUseHotKey_(false),
      finderHotKeyCodeIndex_(kFinderHotKeyDefault),
      finderStored_(false) {}

TConfig::~TConfig() { ClearBookmarks(); }

void TConfig::SetWindowState(int value) {
  windowState_ = static_cast<unsigned int>(value) <= 2 ? value : 0;
}

void TConfig::SetHotKeyCodeIndex(int value) {
  hotKeyCodeIndex_ = HotKeyIndexInRange(value);
}

void TConfig::SetFinderHotKey(bool use, int index) {
  index = HotKeyIndexInRange(index);
  if (use == finderUseHotKey_ && index == finderHotKeyCodeIndex_) return;
  finderUseHotKey_ = use;
  finderHotKeyCodeIndex_ = index;
  finderStored_ = true;
}

void TConfig::ClearBookmarks() { Bookmarks.clear(); }

UnicodeString TConfig::GetFileName() {
  const char16_t sep = platform::PathSeparator();
  UnicodeString path = TSpecialFolder::GetPath(TSpecialFolder::kAppData);
  if (path.empty() || path.back() != sep) path += sep;
  for (const char16_t* part : {u"Quorvane", u"Kestrine"}) path += UnicodeString(part) + sep;
  return path + u"Kestrine.ini";
}

void TConfig::Load(const UnicodeString& fileName) {
  auto ini = std::make_unique<TMemIniFile>(fileName);
  WindowPositionRestore = ini->ReadBool(kStartup, u"WindowPositionRestore", false);
  WindowPosition.Left = ini->ReadInteger(kStartup, u"WindowPositionLeft", 0);
  WindowPosition.Width = ini->ReadInteger(kStartup, u"WindowPositionRight", 236);
  WindowPosition.Top = ini->ReadInteger(kStartup, u"WindowPositionTop", 0);
  WindowPosition.Height = ini->ReadInteger(kStartup, u"WindowPositionBottom", 320);
  SetWindowState(ini->ReadInteger(kStartup, u"WindowState", 0));
  ShowStayOnTop = ini->ReadBool(kStartup, u"ShowStayOnTop", false);
  InTaskTray = ini->ReadBool(kStartup, u"InTaskTray", false);
  UseHotKey = ini->ReadBool(kStartup, u"UseHotKey", false);
  SetHotKeyCodeIndex(ini->ReadInteger(kStartup, u"HotKeyCodeIndex", 0));

  if (!ini->ReadSectionKeys(kFinder).empty()) {
    finderUseHotKey_ = ini->ReadBool(kFinder, u"UseHotKey", false);
    finderHotKeyCodeIndex_ =
        HotKeyIndexInRange(ini->ReadInteger(kFinder, u"HotKeyCodeIndex", kFinderHotKeyDefault));
    finderStored_ = true;
  }

  const int count = ini->ReadInteger(kBookmark, u"Count", 0);
  for (const long long i : ItemIndices(*ini, count)) {
    if (auto item = TBookmarkItem::LoadFromIni(ini.get(), kBookmark, ItemKey(i))) {
      Bookmarks.push_back(std::move(item));
    }
  }
}

void TConfig::Save(const UnicodeString& fileName) {
  const auto slash = fileName.find_last_of(platform::PathSeparator());
  const UnicodeString dir = slash == UnicodeString::npos ? UnicodeString() : fileName.substr(0, slash);
  if (!dir.empty() && !platform::DirectoryExists(dir) && !platform::ForceDirectories(dir)) {
    kestrine::ShowWarning(u"設定ファイルを保存するためのフォルダの作成に失敗しました。");
    return;
  }
  auto ini = std::make_unique<TMemIniFile>(fileName);
  ini->WriteInteger(kSystem, u"Version", 0);
  ini->WriteBool(kStartup, u"WindowPositionRestore", WindowPositionRestore);
  ini->WriteInteger(kStartup, u"WindowPositionLeft", WindowPosition.Left);
  ini->WriteInteger(kStartup, u"WindowPositionRight", WindowPosition.Width);
  ini->WriteInteger(kStartup, u"WindowPositionTop", WindowPosition.Top);
  ini->WriteInteger(kStartup, u"WindowPositionBottom", WindowPosition.Height);
  ini->WriteInteger(kStartup, u"WindowState", GetWindowState());
  ini->WriteBool(kStartup, u"ShowStayOnTop", ShowStayOnTop);
  ini->WriteBool(kStartup, u"InTaskTray", InTaskTray);
  ini->WriteBool(kStartup, u"UseHotKey", UseHotKey);
  ini->WriteInteger(kStartup, u"HotKeyCodeIndex", GetHotKeyCodeIndex());
  ini->WriteInteger(kBookmark, u"Count", static_cast<int>(Bookmarks.size()));
  for (size_t i = 0; i < Bookmarks.size(); ++i) {
    Bookmarks[i]->SaveToIni(ini.get(), kBookmark, ItemKey(static_cast<long long>(i)));
  }
  if (finderStored_) {
    ini->WriteBool(kFinder, u"UseHotKey", finderUseHotKey_);
    ini->WriteInteger(kFinder, u"HotKeyCodeIndex", finderHotKeyCodeIndex_);
  }
  ini->UpdateFile();
}
