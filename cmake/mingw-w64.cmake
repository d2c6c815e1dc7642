# Cross build for 64-bit Windows with the MinGW-w64 (posix threads) compilers.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KVR_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${KVR_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KVR_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${KVR_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KVR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Everything static, so the .exe files need no MinGW DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine, each in a prefix of its own copied from the
# build folder's template (the launcher).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-test-launcher.sh)
