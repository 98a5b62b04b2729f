# 64-bit Windows. Its programs run here under Wine (64-bit only), so ctest can run them.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VANTREL_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
