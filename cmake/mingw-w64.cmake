# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-build for 64-bit Windows with MinGW-w64 (posix threads flavour). The runtime (libgcc,
# libstdc++, winpthreads) is linked statically, so each .exe runs alone, under Windows or Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VORLANT_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VORLANT_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORLANT_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VORLANT_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VORLANT_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs the .exe files through Wine.
find_program(VORLANT_WINE NAMES wine wine64)
if(VORLANT_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VORLANT_WINE})
endif()
