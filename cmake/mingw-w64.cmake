# Cross-building the Windows edition on Debian with mingw-w64 (x86_64, the
# posix thread model, which std::thread and std::mutex need).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TONVALE_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TONVALE_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TONVALE_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TONVALE_MINGW_TRIPLET}-windres)

# The cross libraries (wxWidgets, expat, googletest) are added to the root
# path by the build script.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${TONVALE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
