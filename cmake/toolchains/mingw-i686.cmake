set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
# The posix thread model gives the C++ run-time std::thread and std::mutex, which the tests use.
# The shipped program uses neither and takes the win32 model (BOKRIN_MINGW_THREADS=win32), which
# links no winpthreads into it.
if(NOT BOKRIN_MINGW_THREADS)
  set(BOKRIN_MINGW_THREADS posix)
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES BOKRIN_MINGW_THREADS)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-${BOKRIN_MINGW_THREADS})
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-${BOKRIN_MINGW_THREADS})
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
