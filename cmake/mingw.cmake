# Cross build for 32-bit Windows with MinGW-w64 (the posix thread model, which
# has std::thread and std::mutex). Programs link statically so that they need
# no DLLs beyond Windows' own; tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(KEYLOOM_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${KEYLOOM_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KEYLOOM_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KEYLOOM_MINGW_TRIPLE}-windres)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# Libraries built for this target (GoogleTest, wxMSW) live in a cache outside
# the clone; scripts/windows/ fills it.
if(NOT DEFINED KEYLOOM_WIN32_PREFIX)
  if(DEFINED ENV{KEYLOOM_WIN32_PREFIX})
    set(KEYLOOM_WIN32_PREFIX "$ENV{KEYLOOM_WIN32_PREFIX}")
  else()
    set(KEYLOOM_WIN32_PREFIX /var/cache/keyloom/win32)
  endif()
endif()
set(KEYLOOM_WIN32_PREFIX "${KEYLOOM_WIN32_PREFIX}" CACHE PATH "Libraries built for 32-bit Windows")

set(CMAKE_FIND_ROOT_PATH /usr/${KEYLOOM_MINGW_TRIPLE} "${KEYLOOM_WIN32_PREFIX}/gtest"
    "${KEYLOOM_WIN32_PREFIX}/wx")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# wxMSW, static and monolithic, found through its own wx-config.
if(EXISTS "${KEYLOOM_WIN32_PREFIX}/wx/bin/wx-config")
  set(wxWidgets_CONFIG_EXECUTABLE "${KEYLOOM_WIN32_PREFIX}/wx/bin/wx-config")
  set(wxWidgets_CONFIG_OPTIONS --static)
endif()

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
