#pragma once
// The Win32 calls behind the GUI, free of Qt so that they build and are tested with the
// core. A window is passed as its native handle (QWidget::winId() on Windows).
#include <cstdint>
#include <optional>
#include <vector>

#include "base/UnicodeString.h"

namespace kestrine::win {

using WindowHandle = void*;  // HWND

// --- global hotkey ---
// RegisterHotKey on the window with MOD_* flags and a virtual-key code; false when the system
// refuses, e.g. the keys are taken.
bool RegisterHotKeyOn(WindowHandle window, int id, unsigned modifiers, unsigned virtualKey);
void UnregisterHotKeyOn(WindowHandle window, int id);
// For a native event filter: the identifier of a WM_HOTKEY message (a MSG*), else nothing.
std::optional<int> HotKeyIdOf(const void* message);

// --- stay on top ---
// Changes only the z-order (SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW); failures are ignored.
void SetTopmost(WindowHandle window, bool topmost);

// --- HTML Help ---
// HtmlHelpW is taken from hhctrl.ocx on first use; the library then stays loaded, since the
// viewer runs on after the call. Each returns false when there is no viewer or it refused.
bool ShowHelpContents(WindowHandle owner, const UnicodeString& helpFile);  // HH_DISPLAY_TOPIC
bool ShowHelpTopic(WindowHandle owner, const UnicodeString& helpFile,
                   int topic);  // HH_HELP_CONTEXT

// --- version resource of a module file ---
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

 private:
  explicit VersionResource(std::vector<unsigned char> data) : data_(std::move(data)) {}
  std::vector<unsigned char> data_;
};

}  // namespace kestrine::win
