# Cross build for 64-bit Windows with Debian's MinGW-w64 (package
# g++-mingw-w64-x86-64-posix: the POSIX thread model, which std::thread and
# std::mutex need). The programs are linked statically, so a .exe runs
# without the toolchain's DLLs beside it; wine64 runs them here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(LOGNEX_MINGW_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${LOGNEX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LOGNEX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${LOGNEX_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LOGNEX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config looks at the target's libraries only, never the build machine's.
set(ENV{PKG_CONFIG_LIBDIR} ${CMAKE_FIND_ROOT_PATH}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Windows 7 API level and up (GetLocaleInfoEx needs Vista).
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)

# ctest runs the cross-built tests through wine.
find_program(LOGNEX_WINE NAMES wine64 wine wine-stable PATHS /usr/lib/wine)
if(LOGNEX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${LOGNEX_WINE})
endif()
