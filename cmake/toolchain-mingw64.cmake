# Cross build for 64-bit Windows with Debian's MinGW-w64 (package mingw-w64):
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake
# tools/build-win-deps.sh builds the libraries this needs into KVT_WIN_DEPS
# (default ~/.cache/kvt640); tools/wine-env.sh prepares Wine for running the tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KVT_MINGW_TRIPLET x86_64-w64-mingw32)

# The -posix thread model: the -win32 one has no std::thread or std::mutex in GCC 12.
set(CMAKE_C_COMPILER ${KVT_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KVT_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KVT_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${KVT_MINGW_TRIPLET}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${KVT_MINGW_TRIPLET}-ranlib CACHE FILEPATH "")

# The programs carry their C, C++ and thread runtimes (libgcc, libstdc++, winpthread), so no
# MinGW DLL has to be shipped or found on the PATH. -static makes the linker prefer archives;
# Windows' own DLLs and the DLLs we ship (Qt, libcsv) are still linked through import libraries.
foreach(kind EXE SHARED MODULE)
    set(CMAKE_${kind}_LINKER_FLAGS_INIT -static)
endforeach()

# ctest and add_custom_command run the Windows programs through Wine.
find_program(KVT_WINE NAMES wine wine64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${KVT_WINE})

# Libraries and headers come from the MinGW sysroot and from the cross-built dependencies
# only; programs (moc, rcc, uic, lrelease, help tools) come from the host.
if(NOT DEFINED KVT_WIN_DEPS)
    if(DEFINED ENV{KVT_WIN_DEPS})
        set(KVT_WIN_DEPS $ENV{KVT_WIN_DEPS})
    else()
        set(KVT_WIN_DEPS $ENV{HOME}/.cache/kvt640)
    endif()
endif()
set(KVT_WIN_DEPS ${KVT_WIN_DEPS} CACHE PATH "Cross-built dependencies (tools/build-win-deps.sh)")
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${KVT_MINGW_TRIPLET} ${KVT_WIN_DEPS}/gtest-mingw
     ${KVT_WIN_DEPS}/libcsv-mingw ${KVT_WIN_DEPS}/qt6-mingw)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Qt's cross build uses Debian's host Qt for moc, rcc and uic.
if(NOT DEFINED QT_HOST_PATH)
    set(QT_HOST_PATH /usr)
endif()
if(NOT DEFINED QT_HOST_PATH_CMAKE_DIR)
    set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()
