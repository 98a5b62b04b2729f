# Shared part of the Linux cross toolchains: the caller sets VANTREL_CROSS_TRIPLE and
# CMAKE_SYSTEM_PROCESSOR first. Programs for the target run under qemu-user with the
# target's libraries from Debian's cross packages, so ctest and GoogleTest's test
# discovery both work as on the host.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${VANTREL_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${VANTREL_CROSS_TRIPLE}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${VANTREL_CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${VANTREL_QEMU} -L /usr/${VANTREL_CROSS_TRIPLE})
