# Warnings are errors on every compiler we build with.
function(kestrine_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror -Wshadow
                                           -Wnon-virtual-dtor -Wcast-align -Wunused)
endfunction()
