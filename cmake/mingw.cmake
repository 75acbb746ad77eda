# Cross build for Windows with MinGW-w64 (the posix thread model, which has
# std::thread and std::mutex), included by mingw-i686.cmake (32-bit, what
# Windows users get) and mingw-x86_64.cmake (64-bit, for machines whose Wine
# runs 64-bit programs only). Programs link statically so that they need no
# DLLs beyond Windows' own; tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${KEYLOOM_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KEYLOOM_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KEYLOOM_MINGW_TRIPLE}-windres)

# Libraries built for this target (GoogleTest, wxMSW) live in a cache outside
# the clone, one folder per architecture; scripts/windows/ fills it.
if(NOT DEFINED KEYLOOM_WINDOWS_PREFIX)
  set(KEYLOOM_WINDOWS_PREFIX /var/cache/keyloom)
  if(DEFINED ENV{KEYLOOM_WINDOWS_CACHE})
    set(KEYLOOM_WINDOWS_PREFIX "$ENV{KEYLOOM_WINDOWS_CACHE}")
  endif()
  string(APPEND KEYLOOM_WINDOWS_PREFIX /${KEYLOOM_WINDOWS_NAME})
endif()
set(KEYLOOM_WINDOWS_PREFIX "${KEYLOOM_WINDOWS_PREFIX}" CACHE PATH "Libraries built for ${KEYLOOM_WINDOWS_NAME}")

set(CMAKE_FIND_ROOT_PATH /usr/${KEYLOOM_MINGW_TRIPLE} "${KEYLOOM_WINDOWS_PREFIX}/gtest"
    "${KEYLOOM_WINDOWS_PREFIX}/wx")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# wxMSW, static and monolithic, found through its own wx-config.
if(EXISTS "${KEYLOOM_WINDOWS_PREFIX}/wx/bin/wx-config")
  set(wxWidgets_CONFIG_EXECUTABLE "${KEYLOOM_WINDOWS_PREFIX}/wx/bin/wx-config")
  set(wxWidgets_CONFIG_OPTIONS --static)
endif()

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
