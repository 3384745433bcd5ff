# 32-bit x86 build on a 64-bit Debian host with the i386 multiarch packages:
# the device's platform is 32-bit, so int/long/pointer-size assumptions are
# checked here. Treated as a cross build because a 64-bit kernel may lack
# 32-bit support; then every built program (tests, test discovery, the
# installed tool and package clients) is started through
# CMAKE_CROSSCOMPILING_EMULATOR, e.g. -DCMAKE_CROSSCOMPILING_EMULATOR=/usr/bin/qemu-i386.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_FLAGS_INIT "-m32")
set(CMAKE_CXX_FLAGS_INIT "-m32")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32")

# Qt, GoogleTest and the rest come from the i386 multiarch directories only;
# the host's 64-bit copies must never be picked up.
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
list(APPEND CMAKE_PREFIX_PATH /usr/lib/i386-linux-gnu/cmake)
list(APPEND CMAKE_LIBRARY_PATH /usr/lib/i386-linux-gnu)
list(APPEND CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /usr/lib/x86_64-linux-gnu/cmake)
set(ENV{PKG_CONFIG_LIBDIR} "/usr/lib/i386-linux-gnu/pkgconfig:/usr/share/pkgconfig")
