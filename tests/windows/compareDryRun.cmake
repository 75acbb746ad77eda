# Runs the Windows player (under Wine) and the Linux player with --dry-run on
# every macro of MACROS and fails unless both print the same bytes and exit
# with the same status.
#   cmake -DEMULATOR=wine -DWINDOWS_PLAYER=... -DHOST_PLAYER=... -DMACROS=dir -DOUT=dir -P compareDryRun.cmake
file(GLOB macros "${MACROS}/*.tkl" "${MACROS}/*.txt")
if(NOT macros)
  message(FATAL_ERROR "no macro files in ${MACROS}")
endif()
file(MAKE_DIRECTORY "${OUT}")
set(failures 0)
foreach(macro IN LISTS macros)
  get_filename_component(name "${macro}" NAME)
  execute_process(COMMAND ${EMULATOR} "${WINDOWS_PLAYER}" --dry-run "${macro}"
                  OUTPUT_FILE "${OUT}/${name}.windows" ERROR_VARIABLE windowsErrors
                  RESULT_VARIABLE windowsStatus)
  execute_process(COMMAND "${HOST_PLAYER}" --dry-run "${macro}"
                  OUTPUT_FILE "${OUT}/${name}.linux" ERROR_VARIABLE linuxErrors
                  RESULT_VARIABLE linuxStatus)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${OUT}/${name}.windows"
                          "${OUT}/${name}.linux"
                  RESULT_VARIABLE different)
  file(SIZE "${OUT}/${name}.linux" size)
  if(different OR NOT windowsStatus STREQUAL linuxStatus OR size EQUAL 0)
    message(SEND_ERROR "${name}: Windows (status ${windowsStatus}) and Linux (status ${linuxStatus}) "
                       "differ; see ${OUT}/${name}.windows and .linux\n${windowsErrors}")
    math(EXPR failures "${failures} + 1")
  endif()
endforeach()
if(failures)
  message(FATAL_ERROR "${failures} macro file(s) play differently")
endif()
