# Cross-compiling for 64-bit Windows with Debian's mingw-w64.
#
# The posix-thread variant of the compilers is used on purpose: Qt needs std::thread,
# std::mutex and friends, which the win32-thread variant of libstdc++ lacks in GCC 12.
# The runtime DLLs it links against (libstdc++-6, libgcc_s_seh-1, libwinpthread-1) must
# be shipped beside the exe.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TIVREL_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TIVREL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TIVREL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TIVREL_MINGW_TRIPLE}-windres)

# Headers, libraries and CMake packages come from the target tree only; build tools
# (moc, rcc, uic, ninja, ...) run on the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${TIVREL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
