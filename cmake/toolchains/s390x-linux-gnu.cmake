# 64-bit IBM Z: a big-endian host, to prove that every file field goes through the
# little-endian helpers and never through the machine's own byte order.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(VANTREL_CROSS_TRIPLE s390x-linux-gnu)
set(VANTREL_QEMU qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
