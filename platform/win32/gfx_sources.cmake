# The Win32 platform's pictures and drawing: the artwork the program carries as resources, the
# picture box that shows (and animates) it, and the GDI drawing layer; with the system libraries
# they need. Included by this folder's CMakeLists.txt.
set(KALVOR_WIN32_GFX_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/win32_resources.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_picture_box.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_drawing_layer.cpp)
set(KALVOR_WIN32_GFX_LIBS gdiplus msimg32 shlwapi comctl32 ole32 gdi32 user32)
