# The Windows edition, cross-compiled with mingw-w64 (cmake/mingw-w64-x86_64.cmake) and tested
# under Wine. It uses what Windows itself provides: no Qt, SDL or libsndfile.
#
# The programs that run at build time (sound synthesis, the archive writer) are Linux programs:
# they come from a Linux build of the same sources, KALVOR_HOST_BUILD, which this build brings up
# to date before it uses them.
if(NOT CMAKE_CROSSCOMPILING AND NOT CMAKE_HOST_WIN32)
  message(FATAL_ERROR "Configure the Windows edition with --toolchain cmake/mingw-w64-x86_64.cmake")
endif()
if(KALVOR_SANITIZE)
  message(FATAL_ERROR "The sanitizers are not available for the Windows edition")
endif()
if(NOT CMAKE_HOST_UNIX)
  message(FATAL_ERROR "The Windows edition is built on Linux, with the tools of a Linux build")
endif()

set(KALVOR_HOST_BUILD ${PROJECT_SOURCE_DIR}/build CACHE PATH
    "A Linux build folder of the same sources, whose build-time tools this build runs")
if(NOT EXISTS ${KALVOR_HOST_BUILD}/CMakeCache.txt)
  message(FATAL_ERROR "No Linux build in ${KALVOR_HOST_BUILD} (KALVOR_HOST_BUILD): configure one "
                      "first, e.g. cmake -S . -B build -G Ninja")
endif()
set(KALVOR_HOST_BIN_DIR ${KALVOR_HOST_BUILD}/bin)
set(KALVOR_SOUND_DIR ${KALVOR_HOST_BUILD}/generated/music)

include(${PROJECT_SOURCE_DIR}/cmake/SoundArchive.cmake)

# Targets of the Linux build, made there by a target of this one on every build (quick when they
# are current); FILES names what they make, for the rules that read it. One host build runs at a
# time.
function(kalvor_host_targets target)
  cmake_parse_arguments(ARG "" "" "TARGETS;FILES" ${ARGN})
  add_custom_target(${target}
    COMMAND ${CMAKE_COMMAND} --build ${KALVOR_HOST_BUILD} --target ${ARG_TARGETS}
    BYPRODUCTS ${ARG_FILES}
    COMMENT "Bringing ${ARG_TARGETS} of the Linux build up to date (${KALVOR_HOST_BUILD})"
    USES_TERMINAL
    VERBATIM)
  if(NOT target STREQUAL kalvor_host_tools)
    add_dependencies(${target} kalvor_host_tools)
  endif()
endfunction()

# The archive writer and the synthesised sounds.
kalvor_host_targets(kalvor_host_tools
  TARGETS kalvor_mkarchive kalvor_sounds
  FILES ${KALVOR_HOST_BIN_DIR}/kalvor_mkarchive ${KALVOR_SOUND_FILES})

# The sound archive the program carries, with bass.dll as its library entry.
kalvor_sound_archive(${KALVOR_HOST_BIN_DIR}/kalvor_mkarchive ${KALVOR_HOST_BIN_DIR}/kalvor_mkarchive)
add_dependencies(kalvor_sound_archive kalvor_host_tools)

# Everything compiled for Windows speaks to the W functions of Windows 10 and later.
add_compile_definitions(_WIN32_WINNT=0x0A00 WINVER=0x0A00 UNICODE _UNICODE)

# Resource scripts (the artwork, the program's icon and version) are compiled by windres.
enable_language(RC)
