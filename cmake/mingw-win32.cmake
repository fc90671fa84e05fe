# The shipped program: the win32 thread model imports nothing newer than Windows 2000.
set(TVR_THREAD_MODEL win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
