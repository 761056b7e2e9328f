# Cross-builds the Windows desktop on Debian with MinGW-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(kelvory_mingw_prefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${kelvory_mingw_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${kelvory_mingw_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${kelvory_mingw_prefix}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${kelvory_mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The program must start under Wine or on a bare Windows with no runtime
# DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
