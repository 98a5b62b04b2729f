# 32-bit ARM, little-endian, hard float: the processor family of the module's device.
set(CMAKE_SYSTEM_PROCESSOR arm)
set(VANTREL_CROSS_TRIPLE arm-linux-gnueabihf)
set(VANTREL_QEMU qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
