// The global hotkey on X11: a passive grab of the key on the root window, once for every
// state of the lock keys, so that Caps Lock or Num Lock being on does not hide the hotkey.
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#include <xcb/xproto.h>
#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QGuiApplication>
#include <QWidget>

#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "app/native/GlobalHotKey.h"

namespace kestrine::native {

namespace {

constexpr xcb_keysym_t kNumLock = 0xFF7F, kAltL = 0xFFE9, kAltR = 0xFFEA;
constexpr xcb_keysym_t kF1 = 0xFFBE;
constexpr std::uint16_t kKeyModifierBits = 0xFF;  // Shift..Mod5; the rest are buttons

template <typename T>
struct FreeDeleter {
  void operator()(T* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter<T>>;

// Virtual-key code -> keysym: letters as their lower-case keysym, F1..F12 as XK_F1..XK_F12.
std::optional<xcb_keysym_t> KeysymOf(int virtualKey) {
  if (virtualKey >= 0x41 && virtualKey <= 0x5A) return xcb_keysym_t(virtualKey - 0x41 + 'a');
  if (virtualKey >= 0x70 && virtualKey <= 0x7B) return xcb_keysym_t(kF1 + (virtualKey - 0x70));
  return std::nullopt;
}

// The server's keyboard and modifier maps, read afresh for each registration.
class KeyboardMaps {
 public:
  explicit KeyboardMaps(xcb_connection_t* connection) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    minKeycode_ = setup->min_keycode;
    const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    Reply<xcb_get_keyboard_mapping_reply_t> keys(xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, minKeycode_, count), nullptr));
    if (keys) {
      perKeycode_ = keys->keysyms_per_keycode;
      const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(keys.get());
      keysyms_.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(keys.get()));
    }
    Reply<xcb_get_modifier_mapping_reply_t> mods(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr));
    if (mods) {
      perModifier_ = mods->keycodes_per_modifier;
      const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mods.get());
      modifierKeycodes_.assign(codes, codes + xcb_get_modifier_mapping_keycodes_length(mods.get()));
    }
  }

  // The first keycode that produces the keysym in any column; 0 when none does.
  xcb_keycode_t KeycodeOf(xcb_keysym_t keysym) const {
    if (perKeycode_ == 0) return 0;
    for (size_t i = 0; i < keysyms_.size(); ++i) {
      if (keysyms_[i] == keysym) return static_cast<xcb_keycode_t>(minKeycode_ + i / perKeycode_);
    }
    return 0;
  }

  // The modifier bit a key of that keysym sets; 0 when no modifier carries it.
  std::uint16_t MaskOf(xcb_keysym_t keysym) const {
    for (size_t i = 0; perModifier_ && i < modifierKeycodes_.size(); ++i) {
      const xcb_keycode_t code = modifierKeycodes_[i];
      if (code == 0 || code < minKeycode_) continue;
      const size_t first = size_t(code - minKeycode_) * perKeycode_;
      for (size_t k = 0; k < perKeycode_ && first + k < keysyms_.size(); ++k) {
        if (keysyms_[first + k] == keysym) return std::uint16_t(1u << (i / perModifier_));
      }
    }
    return 0;
  }

 private:
  xcb_keycode_t minKeycode_ = 0;
  std::uint8_t perKeycode_ = 0;
  std::uint8_t perModifier_ = 0;
  std::vector<xcb_keysym_t> keysyms_;
  std::vector<xcb_keycode_t> modifierKeycodes_;
};

}  // namespace

class GlobalHotKey::Impl : public QAbstractNativeEventFilter {
 public:
  explicit Impl(GlobalHotKey* owner) : owner_(owner) {
    // Wayland has no X11 interface; the offscreen platform has one without a connection.
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || xcb_connection_has_error(connection)) return;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    if (screens.rem == 0) return;
    connection_ = connection;
    root_ = screens.data->root;
    QCoreApplication::instance()->installNativeEventFilter(this);
  }

  ~Impl() override {
    // The connection closes with the application; its grabs go with it.
    if (!connection_ || !QCoreApplication::instance()) return;
    while (!grabs_.empty()) Unregister(grabs_.begin()->first);
    QCoreApplication::instance()->removeNativeEventFilter(this);
  }

  bool Register(int id, unsigned modifiers, int virtualKey) {
    Unregister(id);
    if (!connection_ || (modifiers & ~(kModAlt | kModControl | kModShift)) != 0) return false;
    const std::optional<xcb_keysym_t> keysym = KeysymOf(virtualKey);
    if (!keysym) return false;
    const KeyboardMaps maps(connection_);
    Grab grab;
    grab.keycode = maps.KeycodeOf(*keysym);
    if (grab.keycode == 0) return false;
    if (modifiers & kModShift) grab.modifiers |= XCB_MOD_MASK_SHIFT;
    if (modifiers & kModControl) grab.modifiers |= XCB_MOD_MASK_CONTROL;
    if (modifiers & kModAlt) {
      std::uint16_t alt = maps.MaskOf(kAltL);
      if (!alt) alt = maps.MaskOf(kAltR);
      grab.modifiers |= alt ? alt : std::uint16_t(XCB_MOD_MASK_1);
    }
    grab.numLock = maps.MaskOf(kNumLock);
    // Like RegisterHotKey: a combination can be registered only once.
    for (const auto& [otherId, other] : grabs_) {
      if (other.keycode == grab.keycode && other.modifiers == grab.modifiers) return false;
    }

    std::vector<std::uint16_t> variants{0, XCB_MOD_MASK_LOCK};
    if (grab.numLock)
      variants.insert(variants.end(),
                      {grab.numLock, std::uint16_t(XCB_MOD_MASK_LOCK | grab.numLock)});
    for (const std::uint16_t variant : variants) {
      const xcb_void_cookie_t cookie =
          xcb_grab_key_checked(connection_, 0, root_, grab.modifiers | variant, grab.keycode,
                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
      // Another client's grab answers BadAccess at once; an unchecked grab would be lost in
      // the toolkit's error handler.
      if (Reply<xcb_generic_error_t> error{xcb_request_check(connection_, cookie)}) {
        Ungrab(grab);
        return false;
      }
      grab.variants.push_back(variant);
    }
    grabs_.emplace(id, std::move(grab));
    return true;
  }

  void Unregister(int id) {
    const auto it = grabs_.find(id);
    if (it == grabs_.end()) return;
    Ungrab(it->second);
    grabs_.erase(it);
  }

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
    if (eventType != "xcb_generic_event_t" || !message) return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_KEY_PRESS) return false;
    const auto* press = static_cast<const xcb_key_press_event_t*>(message);
    for (const auto& [id, grab] : grabs_) {
      const std::uint16_t state =
          press->state & kKeyModifierBits & ~std::uint16_t(XCB_MOD_MASK_LOCK | grab.numLock);
      if (press->detail == grab.keycode && state == grab.modifiers) {
        // Queued, as WM_HOTKEY is: the slot may run a menu's own event loop.
        QMetaObject::invokeMethod(
            owner_, [owner = owner_, hotKeyId = id] { emit owner->Activated(hotKeyId); },
            Qt::QueuedConnection);
        return true;
      }
    }
    return false;
  }

 private:
  struct Grab {
    xcb_keycode_t keycode = 0;
    std::uint16_t modifiers = 0;
    std::uint16_t numLock = 0;
    std::vector<std::uint16_t> variants;  // the lock states actually grabbed
  };

  void Ungrab(const Grab& grab) {
    for (const std::uint16_t variant : grab.variants) {
      xcb_ungrab_key(connection_, grab.keycode, root_, grab.modifiers | variant);
    }
    // A round trip: once this returns, another program can take the keys.
    Reply<xcb_get_input_focus_reply_t> sync(
        xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
  }

  GlobalHotKey* owner_;
  xcb_connection_t* connection_ = nullptr;
  xcb_window_t root_ = 0;
  std::map<int, Grab> grabs_;
};

void PreferPlatformWithGlobalKeys() {
  if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
      !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || qEnvironmentVariableIsEmpty("DISPLAY")) {
    return;
  }
  qputenv("QT_QPA_PLATFORM", "xcb");
}

GlobalHotKey::GlobalHotKey(QWidget*, QObject* parent)
    : QObject(parent), impl_(std::make_unique<Impl>(this)) {}

GlobalHotKey::~GlobalHotKey() = default;

bool GlobalHotKey::Register(int id, unsigned modifiers, int virtualKey) {
  return impl_->Register(id, modifiers, virtualKey);
}

void GlobalHotKey::Unregister(int id) {
  impl_->Unregister(id);
}

}  // namespace kestrine::native
