# Cross-building for Raspberry Pi OS / Debian armhf (ARMv7, 32-bit):
#   dpkg --add-architecture armhf && apt-get update
#   apt-get install g++-arm-linux-gnueabihf qemu-user libgtk-3-dev:armhf libarchive-dev:armhf \
#     libpng-dev:armhf zlib1g-dev:armhf libssl-dev:armhf libdeflate-dev:armhf libx11-dev:armhf \
#     libgtest-dev:armhf libbenchmark-dev:armhf libgpgme11:armhf
#   (GPGME's header comes from the machine's own libgpgme-dev: src/signature/CMakeLists.txt)
#   cmake -S . -B build/armhf -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-armhf.cmake
# CTest then runs the tests under qemu-arm.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
# Debian multiarch: headers are shared in /usr/include, libraries live in
# /usr/lib/arm-linux-gnueabihf, which CMake searches first for this architecture.
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /lib/x86_64-linux-gnu)
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/arm-linux-gnueabihf/pkgconfig:/usr/share/pkgconfig)
# The armhf libraries and their loader come from the multiarch root "/":
# the cross toolchain's own loader in /usr/arm-linux-gnueabihf does not match
# them, and threads then crash in pthread_create.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm;-L;/)
