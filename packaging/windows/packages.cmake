# Makes the Windows downloads of the build BUILD (cmake -P, from the
# windows_packages target): the installed program file and its licence texts
# staged in STAGE/PACKAGE, then OUT/PACKAGE.exe (the portable program),
# OUT/PACKAGE.zip (the same with LICENSES/), OUT/PACKAGE-setup.exe (NSIS) and
# OUT/PACKAGE.msi (Windows Installer); prints their sizes. Every staged file
# carries the time SOURCE_DATE_EPOCH (the commit's), in one order, so that the
# downloads are the same bytes whenever and wherever they are built.
# With a certificate (PF_SIGN_PKCS12, see sign.sh), the program file, the
# installer, the uninstaller in it and the MSI are signed, each as the last
# change made to it.
set(dir ${STAGE}/${PACKAGE})
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${OUT})
# What the installers call the program: the Start-menu entry and the entry in
# the list of programs.
set(NAME "冲压力计算")
set(PUBLISHER "Tamberlo")
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${dir} --strip
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

# Signed, the program file is what every download holds.
set(signed OFF)
set(sign_uninstaller "")
if(NOT "$ENV{PF_SIGN_PKCS12}" STREQUAL "")
    foreach(variable IN ITEMS PF_SIGN_PKCS12 PF_SIGN_PASSWORD_FILE)
        set(path "$ENV{${variable}}")
        if(NOT path STREQUAL "" AND NOT (IS_ABSOLUTE "${path}" AND EXISTS "${path}"))
            message(FATAL_ERROR "${variable} names no file by an absolute path: ${path}")
        endif()
    endforeach()
    message(STATUS "Signing with the certificate in $ENV{PF_SIGN_PKCS12}")
    set(signed ON)
    set(sign_uninstaller -DSIGN=${SIGN})
    execute_process(COMMAND ${SIGN} ${dir}/pressforce.exe COMMAND_ERROR_IS_FATAL ANY)
endif()

set(epoch $ENV{SOURCE_DATE_EPOCH})
if(NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH is not set")
endif()
file(GLOB_RECURSE files LIST_DIRECTORIES true RELATIVE ${STAGE} ${dir}/*)
list(APPEND files ${PACKAGE})
list(SORT files)
execute_process(COMMAND touch -h -d @${epoch} ${files} WORKING_DIRECTORY ${STAGE} COMMAND_ERROR_IS_FATAL ANY)

file(COPY_FILE ${dir}/pressforce.exe ${OUT}/${PACKAGE}.exe)
execute_process(COMMAND touch -d @${epoch} ${OUT}/${PACKAGE}.exe COMMAND_ERROR_IS_FATAL ANY)

# Info-ZIP without its extra fields (owners, access times); times in UTC.
file(REMOVE ${OUT}/${PACKAGE}.zip)
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${ZIP} -X -9 -q ${OUT}/${PACKAGE}.zip ${files}
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
file(WRITE ${STAGE}/names.nsh "!define NAME \"${NAME}\"\n!define PUBLISHER \"${PUBLISHER}\"\n")
execute_process(COMMAND ${MAKENSIS} -V2 -INPUTCHARSET UTF8
                        -DNAMES=${STAGE}/names.nsh -DVERSION=${VERSION} -DFILES=${dir} -DICON=${ICON}
                        -DUNINSTALL_LIST=${STAGE}/uninstall.nsh -DOUTFILE=${OUT}/${PACKAGE}-setup.exe
                        ${sign_uninstaller} ${NSI}
                COMMAND_ERROR_IS_FATAL ANY)
if(signed)
    execute_process(COMMAND ${SIGN} ${OUT}/${PACKAGE}-setup.exe COMMAND_ERROR_IS_FATAL ANY)
endif()

# The Windows Installer package: the program file with its Start-menu entry
# (pressforce.wxs) and a component for each licence text, written here.
file(GLOB licences RELATIVE ${dir}/LICENSES ${dir}/LICENSES/*)
list(SORT licences)
list(TRANSFORM licences PREPEND LICENSES/ OUTPUT_VARIABLE packaged)
list(APPEND packaged pressforce.exe LICENSES)
file(GLOB_RECURSE staged LIST_DIRECTORIES true RELATIVE ${dir} ${dir}/*)
list(REMOVE_ITEM staged ${packaged})
if(staged)
    message(FATAL_ERROR "pressforce.wxs has no place for ${staged}")
endif()
set(components "")
set(refs "")
foreach(name IN LISTS licences)
    string(MAKE_C_IDENTIFIER "Licence_${name}" id)
    string(APPEND components "        <Component Id=\"${id}\" Guid=\"*\" Win64=\"yes\">\n"
           "          <File Id=\"${id}\" Name=\"${name}\" Source=\"${PACKAGE}/LICENSES/${name}\" KeyPath=\"yes\"/>\n"
           "        </Component>\n")
    string(APPEND refs "    <ComponentRef Id=\"${id}\"/>\n")
endforeach()
file(WRITE ${STAGE}/licences.wxs "<?xml version=\"1.0\" encoding=\"utf-8\"?>
<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">
  <Fragment>
    <DirectoryRef Id=\"INSTALLDIR\">
      <Directory Id=\"LICENSES\" Name=\"LICENSES\">
${components}      </Directory>
    </DirectoryRef>
    <ComponentGroup Id=\"Licences\">
${refs}    </ComponentGroup>
  </Fragment>
</Wix>
")
# One upgrade code for ever, a product code for each version, a package code
# for each package.
set(upgrade_code 1DABF7D4-39AB-4D8D-8CE4-FE01978C1D33)
string(UUID product_code NAMESPACE ${upgrade_code} NAME "product ${VERSION}" TYPE SHA1 UPPER)
file(SHA256 ${dir}/pressforce.exe program_hash)
string(UUID package_code NAMESPACE ${upgrade_code} NAME "package ${VERSION} ${program_hash}" TYPE SHA1 UPPER)
set(msi ${OUT}/${PACKAGE}.msi)
file(REMOVE ${msi})
# wixl takes the files by paths relative to its folder.
file(COPY_FILE ${ICON} ${STAGE}/pressforce.ico)
execute_process(COMMAND ${WIXL} -a x64 -D VERSION=${VERSION} -D UPGRADE_CODE=${upgrade_code}
                        -D PRODUCT_CODE=${product_code} -D PUBLISHER=${PUBLISHER} -D FILES=${PACKAGE}
                        -D ICON=pressforce.ico -o ${msi} ${WXS} licences.wxs
                WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE failed ERROR_VARIABLE wixl_log)
if(failed)
    message(FATAL_ERROR "wixl: ${wixl_log}")
endif()
# wixl writes the tables in no code page, dropping what is not ASCII, and the
# package code and times of this run: the tables in Simplified Chinese (GBK),
# their Chinese texts, the shortcut to the program file itself (wixl makes it
# an advertised one), the package code and SOURCE_DATE_EPOCH's time.
file(WRITE ${STAGE}/_ForceCodepage.idt "\n\n936\t_ForceCodepage\n")
string(TIMESTAMP saved "%Y/%m/%d %H:%M:%S" UTC)
file(WRITE ${STAGE}/_SummaryInformation.idt "PropertyId\tValue\ni2\tl255\n_SummaryInformation\tPropertyId\n"
     "7\tx64;2052\n9\t{${package_code}}\n12\t${saved}\n13\t${saved}\n")
execute_process(COMMAND ${MSIBUILD} ${msi} -i ${STAGE}/_ForceCodepage.idt COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${MSIBUILD} ${msi}
                        -q "UPDATE `Property` SET `Value` = '${NAME}' WHERE `Property` = 'ProductName'"
                        -q "UPDATE `Shortcut` SET `Name` = '${NAME}', `Target` = '[#pressforce.exe]' WHERE `Shortcut` = 'StartMenuEntry'"
                        -q "UPDATE `LaunchCondition` SET `Description` = '已安装${NAME}的更高版本。' WHERE `Condition` = 'NOT WIX_DOWNGRADE_DETECTED'"
                        -i ${STAGE}/_SummaryInformation.idt
                COMMAND_ERROR_IS_FATAL ANY)
# wixl's cabinet (gcab's) deflates each 32 KB block alone at the default
# level: compressed again with the previous block as history, at level 9
# (recab.py), it is some 4 % smaller.
file(REMOVE_RECURSE ${STAGE}/msi)
file(MAKE_DIRECTORY ${STAGE}/msi)
execute_process(COMMAND ${MSIDUMP} -s -d ${STAGE}/msi ${msi} OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${PYTHON3} ${RECAB} ${STAGE}/msi/_Streams/pressforce.cab ${STAGE}/pressforce.cab
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${MSIBUILD} ${msi} -a pressforce.cab ${STAGE}/pressforce.cab COMMAND_ERROR_IS_FATAL ANY)
if(signed)
    execute_process(COMMAND ${SIGN} ${msi} COMMAND_ERROR_IS_FATAL ANY)
endif()

# The portable download, the zip and the installers against their budgets, in
# MB of 10^6 bytes.
foreach(entry IN ITEMS ".exe|0" ".zip|5500000" "-setup.exe|4400000" ".msi|5500000")
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 suffix)
    list(GET entry 1 budget)
    file(SIZE ${OUT}/${PACKAGE}${suffix} bytes)
    set(line "${PACKAGE}${suffix}: ${bytes} bytes")
    if(budget AND bytes GREATER budget)
        message(WARNING "${line}, over its budget of ${budget}")
    elseif(budget)
        message(STATUS "${line}, within its budget of ${budget}")
    else()
        message(STATUS "${line}")
    endif()
endforeach()
