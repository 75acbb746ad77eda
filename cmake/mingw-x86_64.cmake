# 64-bit Windows: the same program for machines that run no 32-bit programs
# (and so no 32-bit Wine). Tests run under 64-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KEYLOOM_MINGW_TRIPLE x86_64-w64-mingw32)
set(KEYLOOM_WINDOWS_NAME win64)
# "wine" is 64-bit Wine here: scripts/windows/wine-env.sh sees to it.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
