#include "platform/win/Win32Gui.h"

#include <windows.h>

#include <htmlhelp.h>

#include <mutex>

#include "platform/win/WinText.h"

namespace kestrine::win {

namespace {
HWND Hwnd(WindowHandle window) {
  return static_cast<HWND>(window);
}
}  // namespace

bool RegisterHotKeyOn(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey) {
  return RegisterHotKey(Hwnd(window), id, modifiers, virtualKey) != FALSE;
}

void UnregisterHotKeyOn(WindowHandle window, int id) {
  UnregisterHotKey(Hwnd(window), id);
}

std::optional<int> HotKeyIdOf(const void* message) {
  const MSG* msg = static_cast<const MSG*>(message);
  if (!msg || msg->message != WM_HOTKEY) return std::nullopt;
  return static_cast<int>(msg->wParam);
}

void SetTopmost(WindowHandle window, bool topmost) {
  SetWindowPos(Hwnd(window), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW);
}

namespace {

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

HtmlHelpFunction HtmlHelpEntry() {
  static std::once_flag once;
  static HtmlHelpFunction entry = nullptr;
  std::call_once(once, [] {
    if (HMODULE library = LoadLibraryW(L"hhctrl.ocx")) {
      // GetProcAddress gives a generic function pointer; HtmlHelpW's type is known.
      entry = reinterpret_cast<HtmlHelpFunction>(
          reinterpret_cast<void*>(GetProcAddress(library, "HtmlHelpW")));
      if (!entry) FreeLibrary(library);
    }
  });
  return entry;
}

bool CallHtmlHelp(WindowHandle owner, const UnicodeString& helpFile, UINT command, DWORD_PTR data) {
  const HtmlHelpFunction entry = HtmlHelpEntry();
  if (!entry || !IsValidName(helpFile)) return false;
  return entry(Hwnd(owner), Wide(helpFile), command, data) != nullptr;
}

}  // namespace

bool ShowHelpContents(WindowHandle owner, const UnicodeString& helpFile) {
  return CallHtmlHelp(owner, helpFile, HH_DISPLAY_TOPIC, 0);
}

bool ShowHelpTopic(WindowHandle owner, const UnicodeString& helpFile, int topic) {
  return CallHtmlHelp(owner, helpFile, HH_HELP_CONTEXT, static_cast<DWORD_PTR>(topic));
}

std::optional<VersionResource> VersionResource::Read(const UnicodeString& path) {
  if (!IsValidName(path)) return std::nullopt;
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(Wide(path), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<unsigned char> data(size);
  if (!GetFileVersionInfoW(Wide(path), 0, size, data.data())) return std::nullopt;
  return VersionResource(std::move(data));
}

std::uint32_t VersionResource::Translation() const {
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data_.data(), L"\\VarFileInfo\\Translation", &value, &length) || !value ||
      length < sizeof(DWORD))
    return 0;
  const auto* words = static_cast<const WORD*>(value);
  return static_cast<std::uint32_t>(words[0]) | (static_cast<std::uint32_t>(words[1]) << 16);
}

std::optional<UnicodeString> VersionResource::QueryString(const UnicodeString& subBlock) const {
  if (!IsValidName(subBlock)) return std::nullopt;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data_.data(), Wide(subBlock), &value, &length)) return std::nullopt;
  if (!value || length == 0) return UnicodeString();
  // The text ends at its NUL; never read past the block whatever the resource says.
  const auto* begin = static_cast<const char16_t*>(value);
  const auto* blockEnd = reinterpret_cast<const char16_t*>(data_.data() + data_.size());
  if (begin < reinterpret_cast<const char16_t*>(data_.data()) || begin >= blockEnd)
    return std::nullopt;
  const char16_t* end = begin;
  while (end < blockEnd && *end != u'\0') ++end;
  return UnicodeString(begin, end);
}

}  // namespace kestrine::win
