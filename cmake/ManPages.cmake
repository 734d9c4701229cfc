# Man pages of every program, installed into share/man/man1. zelkova's page is
# written by hand (its usage text is fixed and not in the GNU layout); those of
# the companion programs are made from their --help and --version with
# help2man, with the sections in docs/man/PROGRAM.h2m, so they always list
# the options the programs really take.
option(ZELKOVA_MAN_PAGES "Generate and install the man pages (needs help2man)" ON)
if(NOT ZELKOVA_MAN_PAGES)
  return()
endif()

find_program(HELP2MAN help2man)
if(NOT HELP2MAN)
  message(NOTICE "Man pages skipped: help2man is not installed (Debian: apt-get install help2man).")
  return()
endif()

set(ZELKOVA_MAN_DIR ${CMAKE_CURRENT_BINARY_DIR}/man)
string(TIMESTAMP ZELKOVA_MAN_DATE "%B %Y" UTC)
configure_file(docs/man/zelkova.1.in ${ZELKOVA_MAN_DIR}/zelkova.1 @ONLY)
set(man_pages ${ZELKOVA_MAN_DIR}/zelkova.1)

foreach(program IN LISTS ZELKOVA_COMPANION_PROGRAMS)
  set(include_file ${CMAKE_CURRENT_SOURCE_DIR}/docs/man/${program}.h2m)
  set(page ${ZELKOVA_MAN_DIR}/${program}.1)
  add_custom_command(OUTPUT ${page}
    COMMAND ${HELP2MAN} --no-info --section=1 --include=${include_file} --output=${page} $<TARGET_FILE:${program}>
    DEPENDS ${program} ${include_file}
    COMMENT "Man page of ${program}"
    VERBATIM)
  list(APPEND man_pages ${page})
endforeach()

add_custom_target(man_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
