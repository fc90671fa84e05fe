# Test executables: GoogleTest needs std::mutex, which only the posix thread model has.
set(TVR_THREAD_MODEL posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
