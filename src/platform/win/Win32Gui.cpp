#include "platform/win/Win32Gui.h"

#include <windows.h>

#include <htmlhelp.h>

#include <mutex>

#include "hotkey/HotKeyCode.h"
#include "platform/win/WinText.h"

namespace kestrine::win {

namespace {
HWND Hwnd(WindowHandle window) {
  return static_cast<HWND>(window);
}
}  // namespace

unsigned HotKeyModifiers(const THotKeyCode& code) {
  unsigned modifiers = 0;
  if (code.Ctrl) modifiers |= MOD_CONTROL;
  if (code.Alt) modifiers |= MOD_ALT;
  if (code.Shift) modifiers |= MOD_SHIFT;
  return modifiers;
}

bool RegisterHotKeyCode(WindowHandle window, int id, const THotKeyCode& code) {
  return RegisterHotKeyOn(window, id, HotKeyModifiers(code),
                          static_cast<unsigned>(code.GetVirtualKeyCode()));
}

bool RegisterHotKeyOn(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey) {
  return RegisterHotKey(Hwnd(window), id, modifiers, virtualKey) != FALSE;
}

void UnregisterHotKeyCode(WindowHandle window, int id) {
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

bool IsTopmost(WindowHandle window) {
  return (GetWindowLongPtrW(Hwnd(window), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
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

bool HtmlHelpAvailable() {
  return HtmlHelpEntry() != nullptr;
}

bool ShowHelpContents(WindowHandle owner, const UnicodeString& helpFile) {
  return CallHtmlHelp(owner, helpFile, HH_DISPLAY_TOPIC, 0);
}

bool ShowHelpTopic(WindowHandle owner, const UnicodeString& helpFile, int topic) {
  return CallHtmlHelp(owner, helpFile, HH_HELP_CONTEXT, static_cast<DWORD_PTR>(topic));
}

IconHandle LoadProgramIcon(int size) {
  return LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, size, size,
                    LR_DEFAULTCOLOR);
}

void DestroyProgramIcon(IconHandle icon) {
  if (icon) DestroyIcon(static_cast<HICON>(icon));
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

std::optional<FixedVersionInfo> VersionResource::Fixed() const {
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data_.data(), L"\\", &value, &length) || !value ||
      length < sizeof(VS_FIXEDFILEINFO))
    return std::nullopt;
  const auto* info = static_cast<const VS_FIXEDFILEINFO*>(value);
  if (info->dwSignature != VS_FFI_SIGNATURE) return std::nullopt;
  return FixedVersionInfo{info->dwFileVersionMS,    info->dwFileVersionLS, info->dwProductVersionMS,
                          info->dwProductVersionLS, info->dwFileOS,        info->dwFileType};
}

}  // namespace kestrine::win
