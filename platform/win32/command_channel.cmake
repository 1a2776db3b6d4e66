# kalvor_win32commands: the command channel of the Windows edition (win32_command_channel.h), a
# named pipe served by a thread of its own. Included by the program's folder, which alone uses it.
add_library(kalvor_win32commands STATIC ${CMAKE_CURRENT_LIST_DIR}/win32_command_channel.cpp)
target_include_directories(kalvor_win32commands PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kalvor_win32commands PUBLIC kalvor_core PRIVATE advapi32)
