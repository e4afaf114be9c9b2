# Warnings are errors on every compiler we build with.
function(kestrine_warnings target)
  if(MSVC)
    # /utf-8: the sources hold Japanese text literals.
    target_compile_options(${target} PRIVATE /W4 /WX /utf-8)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror -Wshadow
                                             -Wnon-virtual-dtor -Wcast-align -Wunused)
  endif()
endfunction()
