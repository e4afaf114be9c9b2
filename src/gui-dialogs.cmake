# The dialogs beside their subjects (bookmarks/, settings/), the version box and the global
# hotkey, all in the GUI library. Included from src/ after the app folder.

target_sources(kestrine_gui PRIVATE
  bookmarks/FormBookmarkItemEdit.cpp
  bookmarks/FormBookmarkItemEdit.h
  settings/FormConfigGeneral.cpp
  settings/FormConfigGeneral.h
  app/FormAboutBox.cpp
  app/FormAboutBox.h
  app/native/GlobalHotKey.h
)

if(WIN32)
  target_sources(kestrine_gui PRIVATE
    app/native/win/GlobalHotKeyWin.cpp
  )
else()
  find_package(PkgConfig REQUIRED)
  # GLOBAL: the library target lives in the app folder, not here.
  pkg_check_modules(KESTRINE_XCB REQUIRED IMPORTED_TARGET GLOBAL xcb)
  target_sources(kestrine_gui PRIVATE
    app/native/x11/GlobalHotKeyX11.cpp
  )
  target_link_libraries(kestrine_gui PRIVATE PkgConfig::KESTRINE_XCB)
endif()
target_link_libraries(kestrine_gui PUBLIC kestrine_appinfo)
