# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (posix thread model, for
# std::thread and friends), with the C and C++ runtimes linked in so that the programs need
# no DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUELBO_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${QUELBO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUELBO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUELBO_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUELBO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests run the .exe files through Wine.
find_program(QUELBO_WINE NAMES wine wine64)
if(QUELBO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUELBO_WINE})
endif()
