#pragma once
// Windows fixtures for the tests: COM on the thread, top-level windows, message pumping.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

namespace kestrine::test {

// COM for the test's thread, as the program has it on its GUI thread.
class ComApartment {
 public:
  ComApartment() : result_(CoInitialize(nullptr)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  HRESULT Result() const { return result_; }

 private:
  HRESULT result_;
};

// A shown top-level window of its own class.
class TestWindow {
 public:
  explicit TestWindow(const wchar_t* className, int x = 40, int y = 40, int width = 320,
                      int height = 200) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);  // fails harmlessly when already registered
    handle_ = CreateWindowExW(0, className, className, WS_OVERLAPPEDWINDOW, x, y, width, height,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (handle_) ShowWindow(handle_, SW_SHOW);
    Pump();
  }
  ~TestWindow() {
    if (handle_) DestroyWindow(handle_);
    Pump();
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  HWND Handle() const { return handle_; }

  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

 private:
  HWND handle_ = nullptr;
};

// Pumps this thread's messages until `done` says so or the time is up; each message is
// offered to `done` before it is dispatched.
inline bool PumpUntil(const std::function<bool(const MSG*)>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      const bool finished = done(&msg);
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      if (finished) return true;
    }
    if (done(nullptr)) return true;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return false;
}

// Whether the window stays above all others (WS_EX_TOPMOST).
inline bool IsTopmost(HWND window) {
  return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

}  // namespace kestrine::test
