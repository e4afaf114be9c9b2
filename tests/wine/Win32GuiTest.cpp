// The Win32 calls behind the GUI: hotkey, stay-on-top, version resource, icon, help.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "WinTestSupport.h"
#include "hotkey/HotKeyCode.h"
#include "platform/Platform.h"
#include "platform/win/Win32Gui.h"
#include "version/VersionData.h"

using namespace kestrine;
using kestrine::test::PumpUntil;
using kestrine::test::TestWindow;

namespace {

void SendKeys(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (const WORD key : keys) {
    INPUT down{};
    down.type = INPUT_KEYBOARD;
    down.ki.wVk = key;
    inputs.push_back(down);
  }
  for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
    INPUT up{};
    up.type = INPUT_KEYBOARD;
    up.ki.wVk = *key;
    up.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(up);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The flags the program passes for a combination of the table.
unsigned HotKeyModifiers(const THotKeyCode& code) {
  return (code.Ctrl ? MOD_CONTROL : 0u) | (code.Alt ? MOD_ALT : 0u) | (code.Shift ? MOD_SHIFT : 0u);
}

bool RegisterHotKeyCode(win::WindowHandle window, int id, const THotKeyCode& code) {
  return win::RegisterHotKeyOn(window, id, HotKeyModifiers(code),
                               static_cast<unsigned>(code.GetVirtualKeyCode()));
}

// The fixed part of a file's version resource.
std::optional<VS_FIXEDFILEINFO> FixedVersionOf(const UnicodeString& path) {
  const std::wstring file(path.begin(), path.end());
  DWORD ignored = 0;
  std::vector<unsigned char> data(GetFileVersionInfoSizeW(file.c_str(), &ignored));
  if (data.empty() ||
      !GetFileVersionInfoW(file.c_str(), 0, static_cast<DWORD>(data.size()), data.data()))
    return std::nullopt;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
    return std::nullopt;
  return *static_cast<const VS_FIXEDFILEINFO*>(value);
}

}  // namespace

TEST(Win32HotKey, ModifiersOfTheTable) {
  const struct {
    unsigned index;
    unsigned modifiers;
    int key;
  } cases[] = {
      {0, MOD_CONTROL, 0x41},               // Ctrl+A
      {26, MOD_CONTROL | MOD_ALT, 0x41},    // Ctrl+Alt+A
      {52, MOD_SHIFT, 0x70},                // Shift+F1
      {75, MOD_CONTROL | MOD_SHIFT, 0x7B},  // Shift+Ctrl+F12
  };
  for (const auto& c : cases) {
    const THotKeyCode code = THotKeyCode::FromIndex(c.index);
    EXPECT_EQ(HotKeyModifiers(code), c.modifiers) << c.index;
    EXPECT_EQ(code.GetVirtualKeyCode(), c.key) << c.index;
  }
}

TEST(Win32HotKey, RegisteredCombinationIsTakenAndDeliversItsIdentifier) {
  TestWindow window(L"KestrineHotKeyWindow");
  ASSERT_TRUE(window.Handle());
  const THotKeyCode code = THotKeyCode::FromIndex(26);  // Ctrl+Alt+A
  ASSERT_TRUE(RegisterHotKeyCode(window.Handle(), 42, code));

  // The system now holds exactly Ctrl+Alt+A: a second registration is refused.
  EXPECT_FALSE(win::RegisterHotKeyOn(window.Handle(), 43, MOD_CONTROL | MOD_ALT, 0x41));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED));
  EXPECT_FALSE(RegisterHotKeyCode(window.Handle(), 44, code));

  SendKeys({VK_CONTROL, VK_MENU, 'A'});
  std::optional<int> received;
  EXPECT_TRUE(PumpUntil([&](const MSG* msg) {
    if (msg && msg->hwnd == window.Handle()) received = win::HotKeyIdOf(msg);
    return received.has_value();
  }));
  EXPECT_EQ(received, 42);

  win::UnregisterHotKeyOn(window.Handle(), 42);
  EXPECT_TRUE(RegisterHotKey(window.Handle(), 45, MOD_CONTROL | MOD_ALT, 0x41));
  UnregisterHotKey(window.Handle(), 45);

  MSG other{};
  other.message = WM_KEYDOWN;
  other.wParam = 42;
  EXPECT_EQ(win::HotKeyIdOf(&other), std::nullopt);
  EXPECT_EQ(win::HotKeyIdOf(nullptr), std::nullopt);
}

TEST(Win32Window, TopmostChangesOnlyTheZOrder) {
  TestWindow window(L"KestrineTopmostWindow", 30, 60, 236, 320);
  RECT before{}, after{};
  GetWindowRect(window.Handle(), &before);
  win::SetTopmost(window.Handle(), true);
  EXPECT_TRUE(kestrine::test::IsTopmost(window.Handle()));
  GetWindowRect(window.Handle(), &after);
  EXPECT_TRUE(EqualRect(&before, &after));
  win::SetTopmost(window.Handle(), false);
  EXPECT_FALSE(kestrine::test::IsTopmost(window.Handle()));
  win::SetTopmost(nullptr, true);  // failures are ignored
}

TEST(Win32VersionResource, TheExecutableCarriesTheBuildsVersionData) {
  const auto resource = win::VersionResource::Read(platform::ExecutablePath());
  ASSERT_TRUE(resource);
  EXPECT_EQ(resource->Translation(), 0x03A40411u);  // Japanese, code page 932
  EXPECT_EQ(resource->Translation(), version::kTranslation);

  const UnicodeString table = u"\\StringFileInfo\\041103A4\\";
  EXPECT_EQ(resource->QueryString(table + u"FileVersion"), u"0.2.3.0");
  EXPECT_EQ(resource->QueryString(table + u"Comments"),
            u"Excelで開いている任意のシートやセルを簡単に参照する");
  const auto copyright = resource->QueryString(table + u"LegalCopyright");
  ASSERT_TRUE(copyright);
  EXPECT_FALSE(copyright->empty());
  // The data compiled in on other platforms is the same, key by key.
  for (const auto& entry : version::kStrings) {
    EXPECT_EQ(resource->QueryString(table + entry.key), UnicodeString(entry.value))
        << ToUtf8(entry.key);
  }
  EXPECT_EQ(resource->QueryString(table + u"NoSuchKey"), std::nullopt);
  EXPECT_EQ(resource->QueryString(u"\\StringFileInfo\\040904B0\\FileVersion"), std::nullopt);

  const auto fixed = FixedVersionOf(platform::ExecutablePath());
  ASSERT_TRUE(fixed);
  EXPECT_EQ(fixed->dwSignature, static_cast<DWORD>(VS_FFI_SIGNATURE));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00000002u);  // 0.2
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00030000u);  // 3.0
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  EXPECT_EQ(fixed->dwFileOS, 4u);
  EXPECT_EQ(fixed->dwFileType, 1u);
}

TEST(Win32VersionResource, FilesWithoutOne) {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring ini = std::wstring(system) + L"\\..\\win.ini";
  EXPECT_FALSE(win::VersionResource::Read(UnicodeString(ini.begin(), ini.end())));
  EXPECT_FALSE(win::VersionResource::Read(u"C:\\no\\such\\program.exe"));
  EXPECT_FALSE(win::VersionResource::Read(u""));
}

TEST(Win32Icon, TheProgramIconIs48PixelsWith32Bits) {
  const HICON icon = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, 48, 48, LR_DEFAULTCOLOR));
  ASSERT_TRUE(icon);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP bitmap{};
  ASSERT_TRUE(GetObjectW(info.hbmColor, sizeof bitmap, &bitmap));
  EXPECT_EQ(bitmap.bmWidth, 48);
  EXPECT_EQ(bitmap.bmHeight, 48);
  EXPECT_EQ(bitmap.bmBitsPixel, 32);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyIcon(icon);
}

TEST(Win32Help, HtmlHelpComesFromHhctrlAtRunTime) {
  EXPECT_EQ(GetModuleHandleW(L"hhctrl.ocx"), nullptr);  // not linked in
  // The viewer reports a missing file itself; the call only tells that nothing opened.
  EXPECT_FALSE(win::ShowHelpContents(nullptr, u"C:\\no\\such\\Kestrine.CHM"));
  EXPECT_NE(GetModuleHandleW(L"hhctrl.ocx"), nullptr);
  EXPECT_FALSE(win::ShowHelpTopic(nullptr, u"C:\\no\\such\\Kestrine.CHM", 6));
  EXPECT_FALSE(win::ShowHelpTopic(nullptr, UnicodeString(u"a\0b", 3), 6));
}
