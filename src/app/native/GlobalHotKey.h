#pragma once
// A system-wide hotkey: the key combination reaches this program whichever window is active.
// One implementation per platform: RegisterHotKey and WM_HOTKEY on Windows, a passive key grab
// on the X11 root window elsewhere.
#include <QObject>
#include <memory>

class QWidget;

namespace kestrine::native {

// Modifier flags as RegisterHotKey takes them.
inline constexpr unsigned kModAlt = 0x0001;
inline constexpr unsigned kModControl = 0x0002;
inline constexpr unsigned kModShift = 0x0004;

// Call before the application object exists. On Wayland, global keys reach X11 clients only:
// unless the user chose a platform (QT_QPA_PLATFORM), the program runs through XWayland when
// there is one (DISPLAY). Nothing on Windows.
void PreferPlatformWithGlobalKeys();

class GlobalHotKey : public QObject {
  Q_OBJECT

 public:
  // `window` receives the system's hotkey messages on Windows (its native handle is taken at
  // registration); X11 grabs on the root window and ignores it.
  explicit GlobalHotKey(QWidget* window, QObject* parent = nullptr);
  // Withdraws whatever is still registered.
  ~GlobalHotKey() override;
  GlobalHotKey(const GlobalHotKey&) = delete;
  GlobalHotKey& operator=(const GlobalHotKey&) = delete;

  // Registers the combination under `id`, withdrawing an earlier registration of that id
  // first. `modifiers` is made of kModAlt, kModControl and kModShift; `virtualKey` is a
  // Windows virtual-key code, 'A'..'Z' (0x41..0x5A) or VK_F1..VK_F12 (0x70..0x7B) on X11.
  // False when the combination is taken (by another program or another id), the key or a
  // flag is unknown, or the session offers no global keys (Wayland, no X server).
  bool Register(int id, unsigned modifiers, int virtualKey);
  // Nothing happens for an id that is not registered.
  void Unregister(int id);

 signals:
  // The registered combination was pressed. Delivered from the event loop, never from inside
  // the native event handling, so a slot may open a menu or a dialog.
  void Activated(int id);

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kestrine::native
