# The compiler warnings of the project's own targets, for the main build and
# the fuzz build alike.
option(PF_WERROR "Treat warnings as errors" OFF)

function(pf_target_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wconversion -Wdouble-promotion -Wfloat-equal
        $<$<BOOL:${PF_WERROR}>:-Werror>)
endfunction()
