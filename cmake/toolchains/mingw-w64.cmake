# Shared part of the mingw-w64 toolchains: the caller sets VANTREL_MINGW_TRIPLE and
# CMAKE_SYSTEM_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VANTREL_MINGW_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${VANTREL_MINGW_TRIPLE}-g++)
set(CMAKE_RC_COMPILER ${VANTREL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VANTREL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's runtime goes into every binary, so the DLL and the test programs need
# only the libraries that Windows itself has.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
