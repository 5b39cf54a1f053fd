# Warnings every target of the project builds with.
function(tess_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()
