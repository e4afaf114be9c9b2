// Opens the help file through the program's Win32 layer, as the Help button (topic 0) and F1
// (topics 6 and 12) do, and reports the viewer's window; help-topic.sh reads which page the
// viewer navigated to from Wine's trace of it.
//   kestrine_wine_help_probe FILE.CHM TOPIC [MILLISECONDS]
// MILLISECONDS keeps the viewer open that long (1500 by default), for screenshots.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win/Win32Gui.h"
#include "platform/win/WinText.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: kestrine_wine_help_probe FILE.CHM TOPIC [MILLISECONDS]\n");
    return 2;
  }
  const UnicodeString file = kestrine::win::FromWide(argv[1]);
  const int topic = std::wcstol(argv[2], nullptr, 10);
  const bool opened = topic == 0 ? kestrine::win::ShowHelpContents(nullptr, file)
                                 : kestrine::win::ShowHelpTopic(nullptr, file, topic);
  // The viewer lives on this thread: let it create its panes and start the navigation.
  const DWORD end = GetTickCount() + (argc == 4 ? std::wcstoul(argv[3], nullptr, 10) : 1500);
  while (GetTickCount() < end) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
  HWND window = FindWindowW(L"HH Parent", nullptr);
  const bool shown = window && IsWindowVisible(window);
  std::printf("call %s, viewer window %s\n", opened ? "succeeded" : "failed",
              shown ? "shown" : "missing");
  if (window) DestroyWindow(window);
  return opened && shown ? 0 : 1;
}
