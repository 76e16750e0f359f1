# Cross build for 32-bit Windows. Built and checked, not run: that needs a
# 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(HOLDFAST_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
