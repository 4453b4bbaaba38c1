# Cross-compiling the game as a 32-bit Windows program with mingw-w64
# (Debian packages g++-mingw-w64-i686 and binutils-mingw-w64-i686).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(VOSKAR_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${VOSKAR_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${VOSKAR_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${VOSKAR_MINGW_PREFIX}-windres)

# Headers and libraries come from the cross compiler's own tree only; programs
# (the build tools) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${VOSKAR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
