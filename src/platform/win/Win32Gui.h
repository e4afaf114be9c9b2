#pragma once
// The Win32 calls behind the GUI, free of Qt so that they build and are tested with the
// core. A window is passed as its native handle (QWidget::winId() on Windows).
#include <cstdint>
#include <optional>
#include <vector>

#include "base/UnicodeString.h"

class THotKeyCode;

namespace kestrine::win {

using WindowHandle = void*;  // HWND
using IconHandle = void*;    // HICON

// --- global hotkey ---
// MOD_CONTROL, MOD_ALT and MOD_SHIFT of the combination, and no other flag.
unsigned HotKeyModifiers(const THotKeyCode& code);
// RegisterHotKey on the window; false when the system refuses, e.g. the keys are taken.
bool RegisterHotKeyCode(WindowHandle window, int id, const THotKeyCode& code);
bool RegisterHotKeyOn(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey);
void UnregisterHotKeyCode(WindowHandle window, int id);
// For a native event filter: the identifier of a WM_HOTKEY message (a MSG*), else nothing.
std::optional<int> HotKeyIdOf(const void* message);

// --- stay on top ---
// Changes only the z-order (SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW); failures are ignored.
void SetTopmost(WindowHandle window, bool topmost);
bool IsTopmost(WindowHandle window);

// --- HTML Help ---
// HtmlHelpW is taken from hhctrl.ocx on first use; the library then stays loaded, since the
// viewer runs on after the call. Each returns false when there is no viewer or it refused.
bool HtmlHelpAvailable();
bool ShowHelpContents(WindowHandle owner, const UnicodeString& helpFile);  // HH_DISPLAY_TOPIC
bool ShowHelpTopic(WindowHandle owner, const UnicodeString& helpFile,
                   int topic);  // HH_HELP_CONTEXT

// --- the program's icon ---
// The executable's main icon (resource "MAINICON") at the size given, or null. The caller
// frees it with DestroyProgramIcon.
IconHandle LoadProgramIcon(int size);
void DestroyProgramIcon(IconHandle icon);

// --- version resource of a module file ---
struct FixedVersionInfo {
  std::uint32_t fileVersionMS, fileVersionLS, productVersionMS, productVersionLS;
  std::uint32_t fileOS, fileType;
};

class VersionResource {
 public:
  // GetFileVersionInfoSizeW + GetFileVersionInfoW; nothing when the file carries no
  // readable resource.
  static std::optional<VersionResource> Read(const UnicodeString& path);

  // The first entry of \VarFileInfo\Translation: language in the low 16 bits, code page in
  // the high 16 bits; 0 when the resource has no translation table.
  std::uint32_t Translation() const;
  // The text at a sub-block such as \StringFileInfo\041103A4\FileVersion, or nothing.
  std::optional<UnicodeString> QueryString(const UnicodeString& subBlock) const;
  std::optional<FixedVersionInfo> Fixed() const;

 private:
  explicit VersionResource(std::vector<unsigned char> data) : data_(std::move(data)) {}
  std::vector<unsigned char> data_;
};

}  // namespace kestrine::win
