# kova_man_page(<program> [DEPENDS <target>...]): the program's manual page in section 1, made by help2man from its
# --help and --version and from docs/man/<program>.h2m (what --help does not say: files,
# environment, exit status, see also), gzipped as Debian ships it and installed with the station
# in share/man/man1. <program> is a target or a script the build writes into bin/. One call a
# program; DEPENDS names what the program runs for its texts. The test suite renders every page made this way (tests/man).
find_program(KOVA_HELP2MAN help2man REQUIRED)
find_program(KOVA_GZIP gzip REQUIRED)
set(KOVA_MAN_DIR ${CMAKE_BINARY_DIR}/man)
file(MAKE_DIRECTORY ${KOVA_MAN_DIR})
add_custom_target(man_pages ALL)

function(kova_man_page program)
  cmake_parse_arguments(M "" "" "DEPENDS" ${ARGN})
  set(include ${PROJECT_SOURCE_DIR}/docs/man/${program}.h2m)
  set(page ${KOVA_MAN_DIR}/${program}.1)
  if(TARGET ${program})
    set(command $<TARGET_FILE:${program}>)
    set(depends ${program})
  else()
    set(command ${KOVA_BIN_DIR}/${program})
    set(depends ${command})
  endif()
  # Calib answers --help before it touches Qt; the offscreen platform only guards against a
  # program that would not.
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            ${KOVA_HELP2MAN} --no-info --locale=C.UTF-8 --include=${include} --output=${page} ${command}
    COMMAND ${KOVA_GZIP} -9nf ${page}
    DEPENDS ${depends} ${M_DEPENDS} ${include}
    COMMENT "Manual page ${program}.1"
    VERBATIM)
  add_custom_target(man_${program} DEPENDS ${page}.gz)
  add_dependencies(man_pages man_${program})
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT station)
  set_property(GLOBAL APPEND PROPERTY KOVA_MAN_PAGES ${program})
endfunction()
