# Shared part of the two mingw-w64 toolchains: a 32-bit Windows target, run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TVR_TRIPLET i686-w64-mingw32)

set(CMAKE_C_COMPILER ${TVR_TRIPLET}-gcc-${TVR_THREAD_MODEL})
set(CMAKE_CXX_COMPILER ${TVR_TRIPLET}-g++-${TVR_THREAD_MODEL})
set(CMAKE_RC_COMPILER ${TVR_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TVR_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# ctest starts every test executable through Wine; the prefix comes from WINEPREFIX.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
