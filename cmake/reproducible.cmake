# Reproducible builds: one commit makes the same files, byte for byte,
# whichever folder it is built in and whenever (reproducible-builds.org).
#
# SOURCE_DATE_EPOCH, the time that stands for the build's, is the caller's
# if set, else the time of the commit being built, else (a source tarball
# without git) midnight UTC of the release date in the AppStream metadata.
# It reaches every tool the build runs (Qt's rcc dates the embedded files by
# it), and cpack, which dates the archive members by it and leaves the time
# out of their gzip headers. Compiled files name the source and build
# folders as "." rather than by their absolute paths.

# The release of this version and its date (YYYY-MM-DD), from the metadata.
file(READ "${PROJECT_SOURCE_DIR}/packaging/${PF_APP_ID}.metainfo.xml" PF_METAINFO)
if(NOT PF_METAINFO MATCHES "<release version=\"${PROJECT_VERSION}\" date=\"([0-9]+-[0-9]+-[0-9]+)\"")
    message(FATAL_ERROR "packaging/${PF_APP_ID}.metainfo.xml has no release ${PROJECT_VERSION} with a date")
endif()
set(PF_RELEASE_DATE ${CMAKE_MATCH_1})

# pf_source_date_epoch(VAR): SOURCE_DATE_EPOCH as said above.
function(pf_source_date_epoch var)
    if(DEFINED ENV{SOURCE_DATE_EPOCH})
        message(STATUS "SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH}, from the environment")
        set(${var} "$ENV{SOURCE_DATE_EPOCH}" PARENT_SCOPE)
        return()
    endif()
    find_package(Git QUIET)
    if(GIT_FOUND)
        # Only when the sources are the top of a work tree, not a tarball
        # unpacked inside another project's.
        execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --show-toplevel
                        WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
                        OUTPUT_VARIABLE top OUTPUT_STRIP_TRAILING_WHITESPACE
                        RESULT_VARIABLE failed ERROR_QUIET)
        if(NOT failed AND EXISTS "${top}")
            file(REAL_PATH "${top}" top)
            file(REAL_PATH "${PROJECT_SOURCE_DIR}" here)
            if(top STREQUAL here)
                execute_process(COMMAND "${GIT_EXECUTABLE}" log -1 --format=%ct
                                WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
                                OUTPUT_VARIABLE time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
                # A commit or a checkout configures the build anew.
                foreach(name IN ITEMS HEAD logs/HEAD)
                    execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --path-format=absolute --git-path ${name}
                                    WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
                                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
                    if(EXISTS "${path}")
                        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${path}")
                    endif()
                endforeach()
                if(time)
                    message(STATUS "SOURCE_DATE_EPOCH ${time}, from the commit")
                    set(${var} "${time}" PARENT_SCOPE)
                    return()
                endif()
            endif()
        endif()
    endif()
    # Days from 1970-01-01, counted in years that begin in March.
    string(REPLACE "-" ";" ymd "${PF_RELEASE_DATE}")
    list(GET ymd 0 year)
    list(GET ymd 1 month)
    list(GET ymd 2 day)
    math(EXPR month "${month} + 0") # no leading zero
    math(EXPR day "${day} + 0")
    if(month LESS_EQUAL 2)
        math(EXPR year "${year} - 1")
        math(EXPR month "${month} + 9")
    else()
        math(EXPR month "${month} - 3")
    endif()
    math(EXPR time "(365 * ${year} + ${year} / 4 - ${year} / 100 + ${year} / 400
                     + (153 * ${month} + 2) / 5 + ${day} - 1 - 719468) * 86400")
    message(STATUS "SOURCE_DATE_EPOCH ${time}, from the release date ${PF_RELEASE_DATE}")
    set(${var} "${time}" PARENT_SCOPE)
endfunction()
pf_source_date_epoch(PF_SOURCE_DATE_EPOCH)
if(NOT PF_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH is \"${PF_SOURCE_DATE_EPOCH}\", not a count of seconds")
endif()

# For the commands run while configuring, for each command of the build
# (custom commands; the Makefile and Ninja generators prefix each with this),
# and for cpack. The Makefiles do not run a command again for a change of its
# command line: a command whose output holds the time is made to run again
# where it is defined (the resources, assets/CMakeLists.txt).
set(ENV{SOURCE_DATE_EPOCH} ${PF_SOURCE_DATE_EPOCH})
set_property(GLOBAL PROPERTY RULE_LAUNCH_CUSTOM
             "\"${CMAKE_COMMAND}\" -E env SOURCE_DATE_EPOCH=${PF_SOURCE_DATE_EPOCH}")
set(CPACK_PROJECT_CONFIG_FILE "${PROJECT_BINARY_DIR}/CPackSourceDate.cmake")
file(CONFIGURE OUTPUT "${CPACK_PROJECT_CONFIG_FILE}"
     CONTENT "set(ENV{SOURCE_DATE_EPOCH} @PF_SOURCE_DATE_EPOCH@)\n" @ONLY)

add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.>"
                    "$<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}=.>")
