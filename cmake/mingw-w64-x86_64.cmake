# Cross-builds Lumiscene for 64-bit Windows with MinGW-w64 from Debian.
#
# The -posix compilers give std::thread and std::mutex (GoogleTest needs them).
# Everything is linked statically, so the executables import system DLLs only
# and run on a bare Windows or a fresh Wine prefix.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_prefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_prefix}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# GCC cannot align the stack beyond 16 bytes on 64-bit Windows, yet spills
# 32- and 64-byte vector registers there with aligned moves; the AVX2 and
# AVX-512 kernels would fault. Assembling every aligned move as an unaligned
# one (same speed on aligned data) makes the spills safe.
set(CMAKE_C_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
set(CMAKE_CXX_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
