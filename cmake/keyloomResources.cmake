# keyloom_windows_resources(TARGET...): the Windows resources (the program's
# icon, wx's resources and manifest) compiled with wx-config's own resource
# compiler flags (`wx-config --rescomp`) and linked into each target.
function(keyloom_windows_resources)
  execute_process(COMMAND ${wxWidgets_CONFIG_EXECUTABLE} --rescomp
                  OUTPUT_VARIABLE rescomp OUTPUT_STRIP_TRAILING_WHITESPACE)
  separate_arguments(rescomp UNIX_COMMAND "${rescomp}")
  list(POP_FRONT rescomp)  # the compiler itself: CMAKE_RC_COMPILER
  set(rc ${PROJECT_SOURCE_DIR}/platform/win32/keyloom.rc)
  set_source_files_properties(${rc} PROPERTIES
    COMPILE_OPTIONS "${rescomp};--include-dir;${PROJECT_SOURCE_DIR}/platform/win32"
    OBJECT_DEPENDS ${PROJECT_SOURCE_DIR}/platform/win32/keyloom.ico)
  foreach(target IN LISTS ARGN)
    target_sources(${target} PRIVATE ${rc})
  endforeach()
endfunction()
