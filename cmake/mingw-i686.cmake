# 32-bit Windows: the build Windows users get. Tests run under 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KEYLOOM_MINGW_TRIPLE i686-w64-mingw32)
set(KEYLOOM_WINDOWS_NAME win32)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
