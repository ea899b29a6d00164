# Cross toolchain for 64-bit Windows. Nothing ships from it: it runs the Windows
# tests under Wine on machines whose kernel cannot execute 32-bit code (Wine 8
# needs a 32-bit Linux process for every 32-bit Windows program).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwCommon.cmake)
