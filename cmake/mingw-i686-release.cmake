# The shipped program's toolchain: the same 32-bit mingw-w64 with the Win32 thread model. The
# program makes its own threads through Windows and never uses std::thread or std::mutex, and its
# C++ library's locks and one-time initialisers then call Windows directly instead of bringing in
# the POSIX thread emulation (25 KB of the 650 KB the program may weigh). The tests use
# std::thread and keep the POSIX model.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
