# 32-bit x86 Windows. No 32-bit Wine here: its binaries are only checked statically.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VANTREL_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
