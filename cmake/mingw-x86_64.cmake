# 64-bit Windows: only for running the Windows tests where the machine cannot execute
# 32-bit code (Wine's 32-bit loader is a 32-bit Linux program).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PELMO_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
