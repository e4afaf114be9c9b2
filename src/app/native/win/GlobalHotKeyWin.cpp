// The global hotkey on Windows: RegisterHotKey on the window, WM_HOTKEY from the message loop.
#ifndef NOMINMAX
#define NOMINMAX  // Qt's headers use std::numeric_limits<T>::max()
#endif
#include <windows.h>

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>
#include <QPointer>
#include <QWidget>
#include <map>

#include "app/native/GlobalHotKey.h"
#include "platform/win/Win32Gui.h"

namespace kestrine::native {

// The flags are RegisterHotKey's own and go to it unchanged.
static_assert(kModAlt == MOD_ALT && kModControl == MOD_CONTROL && kModShift == MOD_SHIFT);

class GlobalHotKey::Impl : public QAbstractNativeEventFilter {
 public:
  Impl(GlobalHotKey* owner, QWidget* window) : owner_(owner), window_(window) {
    QCoreApplication::instance()->installNativeEventFilter(this);
  }

  ~Impl() override {
    while (!ids_.empty()) Unregister(ids_.begin()->first);
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
  }

  bool Register(int id, unsigned modifiers, int virtualKey) {
    Unregister(id);
    if ((modifiers & ~(kModAlt | kModControl | kModShift)) != 0) return false;
    // The keys of the combination table: A..Z and F1..F12.
    const bool letter = virtualKey >= 'A' && virtualKey <= 'Z';
    const bool function = virtualKey >= VK_F1 && virtualKey <= VK_F12;
    if (!letter && !function) return false;
    const win::WindowHandle window = Handle();
    if (!win::RegisterHotKeyOn(window, id, modifiers, static_cast<unsigned>(virtualKey)))
      return false;
    ids_.emplace(id, window);
    return true;
  }

  // The handle of the registration: the window may be on its way out by now.
  void Unregister(int id) {
    const auto it = ids_.find(id);
    if (it == ids_.end()) return;
    win::UnregisterHotKeyOn(it->second, id);
    ids_.erase(it);
  }

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override {
    if (eventType != "windows_generic_MSG") return false;
    const std::optional<int> id = win::HotKeyIdOf(message);
    if (!id || ids_.count(*id) == 0) return false;
    QMetaObject::invokeMethod(
        owner_, [owner = owner_, hotKeyId = *id] { emit owner->Activated(hotKeyId); },
        Qt::QueuedConnection);
    if (result) *result = 0;
    return true;
  }

 private:
  // The window's handle as it is now; without a window the thread's queue gets WM_HOTKEY.
  win::WindowHandle Handle() const {
    return window_ ? reinterpret_cast<win::WindowHandle>(window_->winId()) : nullptr;
  }

  GlobalHotKey* owner_;
  QPointer<QWidget> window_;
  std::map<int, win::WindowHandle> ids_;
};

void PreferPlatformWithGlobalKeys() {}

GlobalHotKey::GlobalHotKey(QWidget* window, QObject* parent)
    : QObject(parent), impl_(std::make_unique<Impl>(this, window)) {}

GlobalHotKey::~GlobalHotKey() = default;

bool GlobalHotKey::Register(int id, unsigned modifiers, int virtualKey) {
  return impl_->Register(id, modifiers, virtualKey);
}

void GlobalHotKey::Unregister(int id) {
  impl_->Unregister(id);
}

}  // namespace kestrine::native
