# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the "posix"
# thread model, which has std::thread and std::mutex in GCC 12).
#   cmake -S . -B build-mingw -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TESSALINE_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TESSALINE_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESSALINE_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TESSALINE_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TESSALINE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The programs carry their C and C++ runtimes, so a copied .exe (or Wine)
# needs no MinGW DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# GoogleTest and Expat are not packaged for MinGW: build Debian's own sources
# of them with this compiler (see cmake/CrossDependencies.cmake).
set(CMAKE_PROJECT_Tessaline_INCLUDE ${CMAKE_CURRENT_LIST_DIR}/CrossDependencies.cmake)

# Wine, when installed, runs the programs for CTest and the test discovery.
find_program(TESSALINE_WINE NAMES wine wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(TESSALINE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TESSALINE_WINE})
endif()
