# Warnings for the project's own targets; third-party headers are included as system headers.
# KOVA_WERROR makes them errors (scripts/test builds so).
function(kova_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(KOVA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
