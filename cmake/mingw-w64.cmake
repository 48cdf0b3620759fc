# Cross-compiles for 64-bit Windows with Debian's mingw-w64 toolchain (posix threads, so
# std::thread and std::mutex work). Libraries built for Windows (libxml2, libcurl, GoogleTest)
# are looked for under TRANSVO_WINDOWS_PREFIX, Qt under TRANSVO_WINDOWS_QT; scripts/build-windows.sh
# builds them there.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TRANSVO_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TRANSVO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRANSVO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TRANSVO_MINGW_TRIPLET}-windres)

if(NOT TRANSVO_WINDOWS_PREFIX AND DEFINED ENV{TRANSVO_WINDOWS_PREFIX})
    set(TRANSVO_WINDOWS_PREFIX $ENV{TRANSVO_WINDOWS_PREFIX})
endif()
# Qt for Windows (scripts/build-qt-windows.sh) is a prefix of its own, outside the clone.
if(NOT TRANSVO_WINDOWS_QT AND DEFINED ENV{TRANSVO_WINDOWS_QT})
    set(TRANSVO_WINDOWS_QT $ENV{TRANSVO_WINDOWS_QT})
endif()
set(CMAKE_FIND_ROOT_PATH /usr/${TRANSVO_MINGW_TRIPLET} ${TRANSVO_WINDOWS_PREFIX} ${TRANSVO_WINDOWS_QT})
if(TRANSVO_WINDOWS_QT)
    list(APPEND CMAKE_PREFIX_PATH ${TRANSVO_WINDOWS_QT})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# libxml2 and libcurl install CMake package files that carry their static-link definitions
# (LIBXML_STATIC, CURL_STATICLIB) and system libraries; the find modules would miss those.
set(CMAKE_FIND_PACKAGE_PREFER_CONFIG ON)
# pkg-config must not hand out the build machine's own libraries.
if(TRANSVO_WINDOWS_PREFIX)
    set(ENV{PKG_CONFIG_LIBDIR} ${TRANSVO_WINDOWS_PREFIX}/lib/pkgconfig)
else()
    set(ENV{PKG_CONFIG_LIBDIR} /usr/${TRANSVO_MINGW_TRIPLET}/lib/pkgconfig)
endif()

# Self-contained executables: no libstdc++, libgcc or winpthread DLL needs to sit beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Lets ctest and GoogleTest's test discovery run the Windows executables on this machine.
# Debian's wine64 puts its loader outside PATH.
find_program(TRANSVO_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(TRANSVO_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TRANSVO_WINE})
endif()
