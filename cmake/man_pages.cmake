# travimo(1), travimo-sim(1) and travimo-gui(1), made from each program's own
# --help at build time so they cannot drift from it.
find_program(HELP2MAN help2man)
find_program(GZIP gzip)
if(NOT HELP2MAN OR NOT GZIP)
  message(STATUS "help2man not found: no man pages")
  return()
endif()

set(man_dir ${PROJECT_BINARY_DIR}/man)
set(man_pages "")
function(travimo_man_page target page summary component)
  if(NOT TARGET ${target})
    return()
  endif()
  set(page_file ${man_dir}/${page}.1)
  # A program with subcommands gets each one's --help as well.
  set(include_args "")
  set(include_step "")
  if(ARGN STREQUAL "SUBCOMMANDS")
    set(include_file ${man_dir}/${page}.commands)
    set(include_args --include=${include_file})
    set(include_step COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}>
                     -DOUTPUT=${include_file} -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/man_commands.cmake)
  endif()
  # The GUI answers --help before it opens a window; offscreen keeps any
  # display out of the build.
  add_custom_command(
    OUTPUT ${page_file}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}
    ${include_step}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            ${HELP2MAN} --no-info --no-discard-stderr --section=1
                        --version-string=${PROJECT_VERSION} --name=${summary} ${include_args}
                        --output=${page_file} $<TARGET_FILE:${target}>
    COMMAND ${GZIP} -9nf ${page_file}
    DEPENDS ${target} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/man_commands.cmake
    COMMENT "Man page ${page}(1)"
    VERBATIM)
  set(man_pages ${man_pages} ${page_file}.gz PARENT_SCOPE)
  install(FILES ${page_file}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
endfunction()

travimo_man_page(travimo-cli travimo "read and parse the stored measurements of serial instruments" tool
                 SUBCOMMANDS)
travimo_man_page(travimo-sim travimo-sim "simulate a Lorvex, Brevane or Ostrel instrument on a pseudo-terminal" tool)
travimo_man_page(travimo-gui travimo-gui "read serial instruments and browse their measurements" gui)
add_custom_target(travimo_man_pages ALL DEPENDS ${man_pages})
