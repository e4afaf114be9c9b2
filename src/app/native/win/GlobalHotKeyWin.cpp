// The global hotkey on Windows: RegisterHotKey on the window, WM_HOTKEY from the message loop.
#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>
#include <QPointer>
#include <QWidget>
#include <map>

#include "app/native/GlobalHotKey.h"
#include "base/UnicodeString.h"
#include "hotkey/HotKeyCode.h"
#include "platform/win/Win32Gui.h"

namespace kestrine::native {

namespace {

// The Win32 layer takes a combination; build the one that yields these flags and key.
THotKeyCode CombinationOf(unsigned modifiers, int virtualKey) {
  UnicodeString key;
  if (virtualKey >= 0x41 && virtualKey <= 0x5A) {
    key = UnicodeString(1, static_cast<char16_t>(virtualKey));
  } else if (virtualKey >= 0x70 && virtualKey <= 0x7B) {
    key = u"F" + kestrine::IntToStr(virtualKey - 0x70 + 1);
  }
  return THotKeyCode((modifiers & kModControl) != 0, (modifiers & kModShift) != 0,
                     (modifiers & kModAlt) != 0, key);
}

}  // namespace

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
    const THotKeyCode code = CombinationOf(modifiers, virtualKey);
    if (code.GetVirtualKeyCode() == 0) return false;
    const win::WindowHandle window = Handle();
    if (!win::RegisterHotKeyCode(window, id, code)) return false;
    ids_.emplace(id, window);
    return true;
  }

  // The handle of the registration: the window may be on its way out by now.
  void Unregister(int id) {
    const auto it = ids_.find(id);
    if (it == ids_.end()) return;
    win::UnregisterHotKeyCode(it->second, id);
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
