# Run by cpack on the staged files, before it packages them.
#
# The package declares its library dependencies only through dpkg-shlibdeps,
# which CPack runs on the files that `file` reports as ELF. Without either
# tool CPack would write the package without Depends: stop, and name the
# Debian package to install.
foreach(tool IN ITEMS dpkg-shlibdeps:dpkg-dev file:file)
    string(REPLACE ":" ";" tool "${tool}")
    list(GET tool 0 program)
    list(GET tool 1 package)
    find_program(PF_FOUND_${package} ${program})
    if(NOT PF_FOUND_${package})
        message(FATAL_ERROR "${program} is missing: install the Debian package ${package} "
                            "(apt-get install ${package}); without it the package would declare no dependencies.")
    endif()
endforeach()

# Stripped as Debian strips programs: symbols, and the compilers' notes.
file(GLOB_RECURSE programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*")
foreach(program IN LISTS programs)
    execute_process(COMMAND "${CPACK_PF_STRIP}" --remove-section=.comment --remove-section=.note "${program}"
                    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
