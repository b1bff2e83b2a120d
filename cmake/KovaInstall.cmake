# Where the installed station keeps its parts, relative to the prefix, and the run-time search
# paths that let the installed programs find them wherever the prefix is moved (everything found
# relative to $ORIGIN, nothing by absolute path).
#
#   <bin>/             Calib, ledserver, kovamsg, kovaini, kovacard, kovademo,  "station"
#                      kovarecords
#   <lib>/             libCalib.so, its CMake package and pkg-config file       "calib"
#   lib/kova/          the modules and libQuorvel.so                            "station"
#   <data>/kova/demo/  the demo environment                                     "station"
# (the components in quotes).
#
# The tool looks for its system directory at <its directory>/../lib/kova, so that directory
# follows the program directory, not the library directory.
foreach(dir BINDIR LIBDIR DATADIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    message(FATAL_ERROR "CMAKE_INSTALL_${dir} must be relative to the prefix: the installed "
                        "station finds its parts relative to itself")
  endif()
endforeach()
cmake_path(SET KOVA_INSTALL_SYSTEMDIR NORMALIZE "${CMAKE_INSTALL_BINDIR}/../lib/kova")
set(KOVA_INSTALL_DEMODIR ${CMAKE_INSTALL_DATADIR}/kova/demo)

# The path from installed directory `from` to installed directory `to`, both relative to the
# prefix.
function(kova_install_relative out from to)
  file(RELATIVE_PATH rel /prefix/${from} /prefix/${to})
  if(rel STREQUAL "")
    set(rel .)
  endif()
  set(${out} ${rel} PARENT_SCOPE)
endfunction()

# kova_install_program(<target>...): a program of the station, in <bin>, finding libQuorvel.so in
# the system directory.
function(kova_install_program)
  kova_install_relative(rel ${CMAKE_INSTALL_BINDIR} ${KOVA_INSTALL_SYSTEMDIR})
  foreach(target IN LISTS ARGN)
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/${rel}")
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT station)
  endforeach()
endfunction()

# kova_install_module(<target>...): a module or library of the system directory; what it links
# from there is found beside it.
function(kova_install_module)
  foreach(target IN LISTS ARGN)
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN")
    install(TARGETS ${target} LIBRARY DESTINATION ${KOVA_INSTALL_SYSTEMDIR} COMPONENT station)
  endforeach()
endfunction()
