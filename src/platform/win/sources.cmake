# The Windows platform layer beyond Platform.cpp: the Win32 calls behind the GUI.
target_sources(kestrine_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/Win32Gui.cpp)
target_link_libraries(kestrine_core PUBLIC user32)
