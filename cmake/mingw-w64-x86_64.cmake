# Windows x64 from Linux with Debian's MinGW-w64 (posix threads, for
# std::thread and std::jthread). The compiler's runtime is shared, as the Qt
# DLLs built with it share it (scripts/windows/build-qt.sh); the one-shot
# command-line export links it in (cli/).
#
# Libraries built for Windows outside the system's MinGW folder (Qt, zlib,
# libdeflate, libzip in scripts/windows/) are named by
# DOZUZEZO_WINDOWS_PREFIXES, a list of install prefixes.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES DOZUZEZO_WINDOWS_PREFIXES)
set(CMAKE_FIND_ROOT_PATH /usr/${triple} ${DOZUZEZO_WINDOWS_PREFIXES})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests and the export run under Wine where they are built.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
