# Writes the NSIS commands that remove exactly the files of the folder DIR and
# then its subfolders, if empty, into OUT:
#   cmake -DDIR=... -DOUT=... -P uninstall-list.cmake
file(GLOB_RECURSE files LIST_DIRECTORIES true RELATIVE "${DIR}" "${DIR}/*")
list(SORT files ORDER DESCENDING) # a folder's files before the folder
set(commands "")
foreach(path IN LISTS files)
    string(REPLACE "/" "\\" name "${path}")
    if(IS_DIRECTORY "${DIR}/${path}")
        string(APPEND commands "RMDir \"$INSTDIR\\${name}\"\n")
    else()
        string(APPEND commands "Delete \"$INSTDIR\\${name}\"\n")
    endif()
endforeach()
file(WRITE "${OUT}" "${commands}")
