# Runs makensis on kalvor.nsi with the build's paths (cmake -P, from CMakeLists.txt here), after
# measuring the program for the size the list of installed programs shows.
file(SIZE ${PROGRAM} bytes)
math(EXPR kib "(${bytes} + 1023) / 1024")
execute_process(
  COMMAND ${MAKENSIS} -V2 -DVERSION=${VERSION} -DPROGRAM_DIR=${PROGRAM_DIR} -DOUTFILE=${OUTFILE}
          -DICON=${ICON} -DSIZE_KB=${kib} ${SCRIPT}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE ${OUTFILE})
  message(FATAL_ERROR "makensis failed (${result})")
endif()
