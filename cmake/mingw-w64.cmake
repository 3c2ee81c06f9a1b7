# Cross-builds the Windows program with Debian's MinGW-w64; its tests run under Wine.
# NUMIR_MINGW_TARGET picks the processor: x86_64 (the default) or i686 (32-bit Windows).
if(NOT NUMIR_MINGW_TARGET)
    set(NUMIR_MINGW_TARGET x86_64)
endif()
set(triplet ${NUMIR_MINGW_TARGET}-w64-mingw32)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${NUMIR_MINGW_TARGET})
set(CMAKE_C_COMPILER ${triplet}-gcc-posix)
# The POSIX thread model: GoogleTest needs std::mutex, which the Win32 model of GCC 12 lacks.
set(CMAKE_CXX_COMPILER ${triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${triplet}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
