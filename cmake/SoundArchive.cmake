# The built-in sounds and the archive made of them, for both editions.
# KALVOR_SOUND_FILES: the path of every built-in sound effect in KALVOR_SOUND_DIR, from the one
# list in resources/sound_archive_list.h; KALVOR_SOUND_COUNT: how many (98).
set(_kalvor_list_header ${PROJECT_SOURCE_DIR}/resources/sound_archive_list.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_kalvor_list_header})
file(READ ${_kalvor_list_header} _kalvor_list_text)
string(REGEX MATCH "kArchiveSoundNames = {[^}]*}" _kalvor_list_text "${_kalvor_list_text}")
string(REGEX MATCHALL "\"[^\"]+\"" _kalvor_quoted "${_kalvor_list_text}")
set(KALVOR_SOUND_FILES)
foreach(_quoted IN LISTS _kalvor_quoted)
  string(REPLACE "\"" "" _name "${_quoted}")
  list(APPEND KALVOR_SOUND_FILES "${KALVOR_SOUND_DIR}/${_name}.mp3")
endforeach()
list(LENGTH KALVOR_SOUND_FILES KALVOR_SOUND_COUNT)
if(NOT KALVOR_SOUND_COUNT EQUAL 98)
  message(FATAL_ERROR "sound_archive_list.h: expected 98 names, found ${KALVOR_SOUND_COUNT}")
endif()

# The sound archive the program carries, as the target kalvor_sound_archive: our audio library,
# copied to KALVOR_LIBRARY_BLOB so the archive and the assembler read one fixed path, packed with
# the sounds by the archive writer `mkarchive` (a program file; ARGN: what running it depends on).
function(kalvor_sound_archive mkarchive)
  add_custom_command(
    OUTPUT ${KALVOR_LIBRARY_BLOB}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:bass> ${KALVOR_LIBRARY_BLOB}
    DEPENDS bass
    COMMENT "Copying the audio library for embedding"
    VERBATIM)
  add_custom_command(
    OUTPUT ${KALVOR_ARCHIVE_FILE}
    COMMAND ${mkarchive} ${KALVOR_ARCHIVE_FILE} ${KALVOR_LIBRARY_BLOB} ${KALVOR_SOUND_DIR}
    DEPENDS ${ARGN} ${KALVOR_LIBRARY_BLOB} ${KALVOR_SOUND_FILES}
    COMMENT "Packing the sound archive"
    VERBATIM)
  add_custom_target(kalvor_sound_archive DEPENDS ${KALVOR_ARCHIVE_FILE} ${KALVOR_LIBRARY_BLOB})
endfunction()
