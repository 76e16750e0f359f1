# Cross build for 64-bit Windows; ctest runs the binaries under Wine.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(HOLDFAST_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/run.sh;${CMAKE_BINARY_DIR}/wine-prefix)
