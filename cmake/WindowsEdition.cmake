# The Windows edition, cross-compiled with mingw-w64 (cmake/mingw-w64-x86_64.cmake) and tested
# under Wine. It uses what Windows itself provides: no Qt, SDL or libsndfile.
if(NOT CMAKE_CROSSCOMPILING AND NOT CMAKE_HOST_WIN32)
  message(FATAL_ERROR "Configure the Windows edition with --toolchain cmake/mingw-w64-x86_64.cmake")
endif()
if(KALVOR_SANITIZE)
  message(FATAL_ERROR "The sanitizers are not available for the Windows edition")
endif()

find_package(Threads REQUIRED)
include(CTest)

add_subdirectory(audiolib)
if(KALVOR_BUILD_TESTS)
  add_subdirectory(tests)
endif()
