# Makes the Windows downloads of the build BUILD (cmake -P, from the
# windows_packages target): the installed program file and its licence texts
# staged in STAGE/PACKAGE, then BUILD/PACKAGE.exe (the portable program),
# BUILD/PACKAGE.zip (the same with LICENSES/) and BUILD/PACKAGE-setup.exe;
# prints their sizes. Every staged file carries the time SOURCE_DATE_EPOCH
# (the commit's), in one order, so that the downloads are the same bytes
# whenever and wherever they are built.
set(dir ${STAGE}/${PACKAGE})
file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${dir} --strip
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

set(epoch $ENV{SOURCE_DATE_EPOCH})
if(NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH is not set")
endif()
file(GLOB_RECURSE files LIST_DIRECTORIES true RELATIVE ${STAGE} ${dir}/*)
list(APPEND files ${PACKAGE})
list(SORT files)
execute_process(COMMAND touch -h -d @${epoch} ${files} WORKING_DIRECTORY ${STAGE} COMMAND_ERROR_IS_FATAL ANY)

file(COPY_FILE ${dir}/pressforce.exe ${BUILD}/${PACKAGE}.exe)
execute_process(COMMAND touch -d @${epoch} ${BUILD}/${PACKAGE}.exe COMMAND_ERROR_IS_FATAL ANY)

# Info-ZIP without its extra fields (owners, access times); times in UTC.
file(REMOVE ${BUILD}/${PACKAGE}.zip)
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${ZIP} -X -9 -q ${BUILD}/${PACKAGE}.zip ${files}
                WORKING_DIRECTORY ${STAGE} COMMAND_ERROR_IS_FATAL ANY)

# The uninstaller removes exactly the installed files, then their folders if
# empty: a folder's files before the folder.
set(commands "")
list(REMOVE_ITEM files ${PACKAGE})
list(REVERSE files)
foreach(path IN LISTS files)
    string(REGEX REPLACE "^${PACKAGE}/" "" path "${path}")
    string(REPLACE "/" "\\" name "${path}")
    if(IS_DIRECTORY ${dir}/${path})
        string(APPEND commands "RMDir \"$INSTDIR\\${name}\"\n")
    else()
        string(APPEND commands "Delete \"$INSTDIR\\${name}\"\n")
    endif()
endforeach()
file(WRITE ${STAGE}/uninstall.nsh "${commands}")
execute_process(COMMAND ${MAKENSIS} -V2 -INPUTCHARSET UTF8
                        -DVERSION=${VERSION} -DFILES=${dir} -DICON=${ICON}
                        -DUNINSTALL_LIST=${STAGE}/uninstall.nsh -DOUTFILE=${BUILD}/${PACKAGE}-setup.exe ${NSI}
                COMMAND_ERROR_IS_FATAL ANY)

# The portable download, the zip and the installer against their budgets, in
# MB of 10^6 bytes.
foreach(entry IN ITEMS ".exe|0" ".zip|5500000" "-setup.exe|4400000")
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 suffix)
    list(GET entry 1 budget)
    file(SIZE ${BUILD}/${PACKAGE}${suffix} bytes)
    set(line "${PACKAGE}${suffix}: ${bytes} bytes")
    if(budget AND bytes GREATER budget)
        message(WARNING "${line}, over its budget of ${budget}")
    elseif(budget)
        message(STATUS "${line}, within its budget of ${budget}")
    else()
        message(STATUS "${line}")
    endif()
endforeach()
