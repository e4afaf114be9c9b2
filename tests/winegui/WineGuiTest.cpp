// The whole Windows program, kestrine.exe, under Wine on a real X server: driven as a user
// drives it (keys through SendInput, clicks, the window's close), against the test automation
// server in this process registered as the running "Excel.Application".
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "DispatchServer.h"
#include "WinTestSupport.h"
#include "bookmarks/BookmarkItem.h"
#include "platform/Platform.h"
#include "platform/win/Win32Gui.h"
#include "settings/Config.h"
#include "support/TestHelpers.h"

using namespace kestrine::test;
using namespace std::chrono_literals;

namespace {

std::wstring W(const UnicodeString& text) {
  return std::wstring(text.begin(), text.end());
}

std::filesystem::path IniPath() {
  return std::filesystem::path(W(TConfig::GetFileName()));
}

// kestrine.exe of the same build: <build>/src/app, this test lives in <build>/tests/winegui.
std::wstring ProgramPath() {
  std::filesystem::path self(W(kestrine::platform::ExecutablePath()));
  return (self.parent_path().parent_path().parent_path() / L"src" / L"app" / L"kestrine.exe")
      .wstring();
}

// --- input, as a user gives it ---

void Key(WORD vk, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

// A key with modifiers held, e.g. Chord({VK_CONTROL}, 'C').
void Chord(std::initializer_list<WORD> modifiers, WORD vk) {
  for (WORD m : modifiers) Key(m, false);
  Key(vk, false);
  Key(vk, true);
  for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it) Key(*it, true);
}

void Press(WORD vk) {
  Chord({}, vk);
}

void ClickAt(POINT screen, bool right = false) {
  SetCursorPos(screen.x, screen.y);
  INPUT inputs[2]{};
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  inputs[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  SendInput(2, inputs, sizeof inputs[0]);
}

std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

void ClearClipboard() {
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
}

// Lets time pass while this thread serves COM calls of the program.
void Serve(std::chrono::milliseconds time) {
  PumpUntil([](const MSG*) { return false; }, time);
}

bool ServeUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 15s) {
  return PumpUntil([&](const MSG*) { return done(); }, timeout);
}

// The icons in the notification area of Wine's task bar: the tray draws them itself and gives
// each a tool of its tool-tip window.
size_t TrayIconCount() {
  HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
  if (!tray) return 0;
  struct Search {
    HWND tray;
    size_t count;
  } search{tray, 0};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (std::wstring(name) == TOOLTIPS_CLASSW && GetWindow(window, GW_OWNER) == s->tray)
          s->count += static_cast<size_t>(SendMessageW(window, TTM_GETTOOLCOUNT, 0, 0));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.count;
}

// A click on the newest icon, the rightmost one of the task bar's notification area.
void ClickTrayIcon() {
  HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
  RECT client{};
  GetClientRect(tray, &client);
  POINT icon{client.right - GetSystemMetrics(SM_CXSMICON) / 2 - 2, client.bottom / 2};
  ClientToScreen(tray, &icon);
  ClickAt(icon);
}

// Top-level windows and the tray's children as "class 'title' visible", for failure messages.
std::string WindowList() {
  std::string list;
  const auto visit = [](HWND window, LPARAM param) -> BOOL {
    wchar_t name[64] = {}, title[64] = {};
    GetClassNameW(window, name, 64);
    GetWindowTextW(window, title, 64);
    auto& out = *reinterpret_cast<std::string*>(param);
    out += kestrine::ToUtf8(UnicodeString(name, name + wcslen(name))) + " '" +
           kestrine::ToUtf8(UnicodeString(title, title + wcslen(title))) + "' " +
           (IsWindowVisible(window) ? "visible" : "hidden") + (IsIconic(window) ? " iconic" : "") +
           "\n";
    return TRUE;
  };
  EnumWindows(visit, reinterpret_cast<LPARAM>(&list));
  if (HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr)) {
    list += "-- tray:\n";
    EnumChildWindows(tray, visit, reinterpret_cast<LPARAM>(&list));
  }
  return list;
}

// --- the program as a child process ---

class Program {
 public:
  Program() {
    std::wstring command = L"\"" + ProgramPath() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &info_) != FALSE;
    if (started_) CloseHandle(info_.hThread);
  }
  ~Program() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(info_.hProcess, 9);
      WaitForSingleObject(info_.hProcess, 10000);
    }
    CloseHandle(info_.hProcess);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Started() const { return started_; }
  bool Running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

  // The program's visible top-level window with this title, or null.
  HWND Window(const std::wstring& title, bool visibleOnly = true) const {
    struct Search {
      DWORD pid;
      const std::wstring* title;
      bool visibleOnly;
      HWND found;
    } search{info_.dwProcessId, &title, visibleOnly, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
          auto* s = reinterpret_cast<Search*>(param);
          DWORD pid = 0;
          GetWindowThreadProcessId(window, &pid);
          if (pid != s->pid || (s->visibleOnly && !IsWindowVisible(window))) return TRUE;
          wchar_t text[256] = {};
          GetWindowTextW(window, text, 256);
          if (*s->title != text) return TRUE;
          s->found = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  HWND WaitForWindow(const std::wstring& title, std::chrono::milliseconds timeout = 15s) {
    HWND found = nullptr;
    ServeUntil([&] { return (found = Window(title)) != nullptr; }, timeout);
    // The main window, remembered for closing it while it is hidden.
    if (found && title == L"Kestrine") main_ = found;
    return found;
  }

  // Closes the main window as its close button does; true when the program then ends with 0.
  bool Close() {
    if (HWND main = main_ ? main_ : Window(L"Kestrine")) PostMessageW(main, WM_CLOSE, 0, 0);
    if (!ServeUntil([&] { return !Running(); }, 20s)) return false;
    DWORD code = 1;
    GetExitCodeProcess(info_.hProcess, &code);
    return code == 0;
  }

 private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
  HWND main_ = nullptr;
};

// The text of a Qt message box, copied with Ctrl+C as a user can copy it.
std::wstring BoxText(HWND box) {
  ClearClipboard();
  SetForegroundWindow(box);
  Serve(300ms);
  Chord({VK_CONTROL}, 'C');
  std::wstring text;
  ServeUntil([&] { return !(text = ClipboardText()).empty(); }, 5s);
  return text;
}

std::string Narrow(const std::wstring& text) {
  return kestrine::ToUtf8(UnicodeString(text.begin(), text.end()));
}

// The settings file as the user left it: removed, or written from a configuration.
void RemoveSettings() {
  std::error_code ignored;
  std::filesystem::remove(IniPath(), ignored);
}

void WriteSettings(const std::function<void(TConfig&)>& change) {
  TConfig config;
  change(config);
  config.Save(TConfig::GetFileName());
}

class WineGuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(apartment.Result()));
    RemoveSettings();
  }
  void TearDown() override {
    running.reset();
    RemoveSettings();
  }

  // Serves the model as the running "Excel.Application".
  void RunServer() {
    std::string why;
    ASSERT_TRUE(RegisterTestProgId(why)) << why;
    IDispatch* dispatch = MakeDispatch(ApplicationOf(server), log);
    running = std::make_unique<RunningObject>(dispatch);
    dispatch->Release();
    ASSERT_TRUE(running->Registered()) << std::hex << running->Result();
  }

  // 売上.xlsx {表1, 集計}, 予定表.xlsx {一月, 二月, 三月, Hidden (hidden), 四月}, Budget.xlsx {Q1}.
  void AddBooks() {
    server.AddBook("売上.xlsx", {"表1", "集計"});
    server.AddBook("予定表.xlsx", {"一月", "二月", "三月", "Hidden", "四月"}).sheets[3].visible = 0;
    server.AddBook("Budget.xlsx", {"Q1"});
    server.SetActive(u"売上.xlsx", u"集計", 3, 7);  // C7
  }

  bool Called(const std::string& call) const {
    for (const auto& c : server.CallStrings()) {
      if (c == call) return true;
    }
    return false;
  }
  std::string Calls() const {
    std::string all;
    for (const auto& c : server.CallStrings()) all += c + "\n";
    return all;
  }

  // Started, its window up and its first idle pass over (a reload leaves its calls).
  void StartAndWaitForReload(Program& program) {
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(program.WaitForWindow(L"Kestrine"));
    ASSERT_TRUE(ServeUntil([&] { return Called("Application.Workbooks()"); }))
        << "no reload reached the server";
    // The rest of the reload and the window's repaint.
    Serve(1500ms);
  }

  // The books served, the settings file written where `settings` is given, the program
  // started and reloaded, its main window found.
  void StartServed(Program& program, HWND& main,
                   const std::function<void(TConfig&)>& settings = {}) {
    AddBooks();
    if (settings) WriteSettings(settings);
    RunServer();
    StartAndWaitForReload(program);
    main = program.Window(L"Kestrine");
  }

  // The second tool button, "最前面に表示".
  static void ClickStayOnTop(HWND main) {
    POINT button{36, 14};
    ClientToScreen(main, &button);
    ClickAt(button);
  }

  ComApartment apartment;
  AutomationServer server;
  std::shared_ptr<DispatchLog> log = std::make_shared<DispatchLog>();
  std::unique_ptr<RunningObject> running;
};

// The default file, with the window's frame where the window stood when it closed (its
// left, top, width and height in the keys Left, Top, Right and Bottom).
std::string DefaultFile(const RECT& frame) {
  const auto n = [](LONG v) { return std::to_string(v); };
  return "[SYSTEM]\r\nVersion=0\r\n\r\n"
         "[STARTUP]\r\nWindowPositionRestore=0\r\nWindowPositionLeft=" +
         n(frame.left) + "\r\nWindowPositionRight=" + n(frame.right - frame.left) +
         "\r\nWindowPositionTop=" + n(frame.top) +
         "\r\nWindowPositionBottom=" + n(frame.bottom - frame.top) +
         "\r\nWindowState=0\r\nShowStayOnTop=0\r\n"
         "InTaskTray=0\r\nUseHotKey=0\r\nHotKeyCodeIndex=0\r\n\r\n"
         "[BOOKMARK]\r\nCount=0\r\n\r\n";
}

}  // namespace

TEST_F(WineGuiTest, WithoutExcelAWarningAndTheDefaultFileAfterClosing) {
  Program program;
  ASSERT_TRUE(program.Started());
  HWND box = program.WaitForWindow(L"警告");
  ASSERT_TRUE(box) << "no warning box";
  const std::wstring boxText = BoxText(box);
  EXPECT_NE(boxText.find(L"Excelに接続できませんでした。"), std::wstring::npos) << Narrow(boxText);
  Press(VK_RETURN);
  ASSERT_TRUE(ServeUntil([&] { return !program.Window(L"警告"); }, 10s));
  EXPECT_TRUE(program.Running());
  HWND main = program.Window(L"Kestrine");
  ASSERT_TRUE(main);
  RECT frame{};
  GetWindowRect(main, &frame);
  ASSERT_TRUE(program.Close());

  // The frame as Qt knows it; under Wine Qt's frame can leave out the desktop's thin side and
  // bottom borders, so the bounds are compared with Windows' own within them.
  const std::string file = ReadBytes(IniPath());
  std::string expected = DefaultFile(frame);
  const auto bounds = [](const std::string& text) {
    std::vector<int> values;
    for (const char* key : {"Left=", "Right=", "Top=", "Bottom="}) {
      const size_t at = text.find(std::string("WindowPosition") + key);
      values.push_back(
          at == std::string::npos ? -1 : std::atoi(text.c_str() + at + 14 + std::strlen(key)));
    }
    return values;
  };
  const std::vector<int> stored = bounds(file), actual = bounds(expected);
  ASSERT_EQ(stored.size(), actual.size());
  for (size_t i = 0; i < stored.size(); ++i) {
    EXPECT_NEAR(stored[i], actual[i], 8) << i;
  }
  // Everything else is the default file, byte for byte.
  const auto withoutBounds = [](std::string text) {
    for (const char* key : {"Left=", "Right=", "Top=", "Bottom="}) {
      const size_t at = text.find(std::string("WindowPosition") + key);
      if (at == std::string::npos) continue;
      const size_t end = text.find('\r', at);
      text.erase(at + 14 + std::strlen(key), end - (at + 14 + std::strlen(key)));
    }
    return text;
  };
  EXPECT_EQ(withoutBounds(file), withoutBounds(expected));
  size_t lines = 0;
  for (char c : file) lines += c == '\n';
  EXPECT_EQ(lines, 18u);
}

TEST_F(WineGuiTest, HotKeyMenuJumpsToTheSheetAndTheBookmarkItsAccessKeysName) {
  Program program;
  HWND main = nullptr;
  StartServed(program, main, [](TConfig& config) {
    config.UseHotKey = true;
    config.SetHotKeyCodeIndex(26);  // Ctrl+Alt+A
    config.Bookmarks.push_back(std::make_unique<TBookmarkItem>(u"", u"予定表.xlsx", u"二月", 1, 4));
  });
  ASSERT_TRUE(main);

  // Another program has the focus, as when the user works in Excel.
  TestWindow other(L"KestrineOtherProgram", 500, 300);
  SetForegroundWindow(other.Handle());
  Serve(500ms);
  ASSERT_EQ(GetForegroundWindow(), other.Handle());

  // The second book's third listed sheet: 予定表.xlsx!三月.
  server.ClearCalls();
  Chord({VK_CONTROL, VK_MENU}, 'A');
  Serve(800ms);
  Press('E');
  Serve(300ms);
  Press('2');
  Serve(300ms);
  Press('3');
  EXPECT_TRUE(ServeUntil([&] { return Called("Worksheet(予定表.xlsx!三月).Activate()"); }))
      << Calls();
  EXPECT_TRUE(Called("Workbook(予定表.xlsx).Activate()")) << Calls();
  for (const auto& call : server.CallStrings()) {
    EXPECT_EQ(call.find(".Activate()") == std::string::npos ||
                  call == "Workbook(予定表.xlsx).Activate()" ||
                  call == "Worksheet(予定表.xlsx!三月).Activate()",
              true)
        << call;
  }

  // The first bookmark entry: its cell B5 is selected.
  SetForegroundWindow(other.Handle());
  Serve(500ms);
  server.ClearCalls();
  Chord({VK_CONTROL, VK_MENU}, 'A');
  Serve(800ms);
  Press('B');
  Serve(300ms);
  Press(VK_RETURN);
  EXPECT_TRUE(ServeUntil([&] { return Called("Range(予定表.xlsx!二月!R5C2).Activate()"); }))
      << Calls();
  EXPECT_TRUE(Called("Worksheet(予定表.xlsx!二月).Activate()")) << Calls();
  EXPECT_TRUE(program.Close());
}

TEST_F(WineGuiTest, BookmarkFromTheActiveCellThroughTheEditDialogIsInTheFile) {
  Program program;
  HWND main = nullptr;
  StartServed(program, main);
  ASSERT_TRUE(main);

  // The tree's context menu by its key, then "ブックマークの追加(&I)"; the dialog takes the
  // active cell (売上.xlsx!集計 C7) and OK stores it.
  SetForegroundWindow(main);
  Serve(300ms);
  Press(VK_APPS);
  Serve(500ms);
  Press('I');
  HWND dialog = program.WaitForWindow(L"ブックマーク編集");
  ASSERT_TRUE(dialog) << Calls();
  Serve(500ms);
  Press(VK_RETURN);
  ASSERT_TRUE(ServeUntil([&] { return !program.Window(L"ブックマーク編集"); }, 10s));
  ASSERT_TRUE(program.Close());

  TConfig config;
  config.Load(TConfig::GetFileName());
  ASSERT_EQ(config.Bookmarks.size(), 1u);
  const TBookmarkItem& item = *config.Bookmarks[0];
  EXPECT_EQ(kestrine::ToUtf8(item.BookName), "売上.xlsx");
  EXPECT_EQ(kestrine::ToUtf8(item.SheetName), "集計");
  EXPECT_EQ(item.Column, 2);
  EXPECT_EQ(item.Row, 6);

  // The file in the code page that applies: 932 holds the names in it; 1252 lacks them, so the
  // file is UTF-8 with its mark.
  const std::string bytes = ReadBytes(IniPath());
  const std::wstring name = L"売上.xlsx";
  const char* locale = std::getenv("KESTRINE_WINE_LOCALE");
  if (locale && std::string(locale) == "ja") {
    ASSERT_EQ(GetACP(), 932u);
  }
  const UINT codePage = GetACP() == 932 ? 932 : CP_UTF8;
  std::string encoded(64, '\0');
  encoded.resize(static_cast<size_t>(
      WideCharToMultiByte(codePage, 0, name.c_str(), static_cast<int>(name.size()), encoded.data(),
                          static_cast<int>(encoded.size()), nullptr, nullptr)));
  EXPECT_NE(bytes.find(encoded), std::string::npos);
  EXPECT_EQ(bytes.rfind("\xEF\xBB\xBF", 0) == 0, codePage == CP_UTF8) << "ACP " << GetACP();
}

TEST_F(WineGuiTest, StayOnTopIsTopmostAndSurvivesARestart) {
  AddBooks();
  RunServer();
  {
    Program program;
    StartAndWaitForReload(program);
    HWND main = program.Window(L"Kestrine");
    ASSERT_TRUE(main);
    EXPECT_FALSE(IsTopmost(main));
    ClickStayOnTop(main);
    EXPECT_TRUE(ServeUntil([&] { return IsTopmost(main); }, 5s));
    ASSERT_TRUE(program.Close());
  }
  TConfig config;
  config.Load(TConfig::GetFileName());
  EXPECT_TRUE(config.ShowStayOnTop);
  {
    Program program;
    StartAndWaitForReload(program);
    HWND main = program.Window(L"Kestrine");
    ASSERT_TRUE(main);
    EXPECT_TRUE(IsTopmost(main));
    ASSERT_TRUE(program.Close());
  }
}

TEST_F(WineGuiTest, MinimisedWithTrayResidenceTheWindowHidesAndTheTrayIconShows) {
  Program program;
  HWND main = nullptr;
  StartServed(program, main, [](TConfig& config) { config.InTaskTray = true; });
  ASSERT_TRUE(main);
  const size_t iconsBefore = TrayIconCount();
  PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(ServeUntil([&] { return !IsWindowVisible(main); }, 5s)) << WindowList();
  EXPECT_TRUE(ServeUntil([&] { return TrayIconCount() == iconsBefore + 1; }, 5s)) << WindowList();
  EXPECT_TRUE(program.Running());

  // A click on the icon brings the window back.
  ClickTrayIcon();
  EXPECT_TRUE(ServeUntil([&] { return IsWindowVisible(main) && !IsIconic(main); }, 5s))
      << WindowList();
  EXPECT_TRUE(program.Close());
}

TEST_F(WineGuiTest, SessionEndingWhileInTheTrayWritesTheFileAsClosingWould) {
  Program program;
  HWND main = nullptr;
  StartServed(program, main, [](TConfig& config) { config.InTaskTray = true; });
  ASSERT_TRUE(main);
  // "最前面に表示" on, then into the tray: nothing has written the file since the start.
  ClickStayOnTop(main);
  ASSERT_TRUE(ServeUntil([&] { return IsTopmost(main); }, 5s));
  PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(ServeUntil([&] { return !IsWindowVisible(main); }, 5s)) << WindowList();

  // Log-off: Windows asks every top-level window, tells them the session ends, and then ends
  // the programs that are left.
  DWORD_PTR answer = 0;
  ASSERT_NE(SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                10000, &answer),
            0);
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
  SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000,
                      &answer);
  ServeUntil([&] { return !program.Running(); }, 5s);

  TConfig config;
  config.Load(TConfig::GetFileName());
  EXPECT_TRUE(config.ShowStayOnTop);
  EXPECT_TRUE(config.InTaskTray);
  EXPECT_TRUE(ReadBytes(IniPath()).find("ShowStayOnTop=1\r\n") != std::string::npos)
      << ReadBytes(IniPath());
}
