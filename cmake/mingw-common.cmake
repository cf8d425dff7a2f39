# The posix-thread flavour of the MinGW compilers: GoogleTest needs std::mutex. Everything is linked
# statically, so a built program needs no MinGW runtime DLL next to it.
set(CMAKE_C_COMPILER ${ZOVI_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZOVI_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZOVI_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZOVI_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Test programs run under Wine through this wrapper (prefix, display and environment of the project).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-exec)
