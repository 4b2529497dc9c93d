# Makes the release archive: launcher.exe, launcher-check.exe, the example
# INI file, the change log, the documentation, linux/ (try-image.sh, which
# tries an image under Wine, with the setup-wine.sh and run_and_wait.exe it
# needs) and a SHA256SUMS file, in a zip
# that is the same, byte for byte, from every clean build of the same
# sources. With LAUNCHER_SIGN_PKCS12 in the environment, the two programs in
# the archive are signed first (tools/sign_release.py), run_and_wait.exe
# too; the programs in the build tree stay unsigned.
#   cmake -DSOURCE_DIR=… -DBINARY_DIR=… -DVERSION=… -DPYTHON=… -P release.cmake
foreach(variable SOURCE_DIR BINARY_DIR VERSION PYTHON)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "release.cmake needs -D${variable}=…")
    endif()
endforeach()

set(name quillmark-launcher-${VERSION})
set(stage "${BINARY_DIR}/release/${name}")
# No archive of an earlier run may stand in for one that fails now.
file(REMOVE_RECURSE "${BINARY_DIR}/release" "${BINARY_DIR}/${name}.zip")
file(MAKE_DIRECTORY "${stage}/docs/screenshots")

file(COPY "${BINARY_DIR}/launcher.exe" "${BINARY_DIR}/src/check/launcher-check.exe"
          "${SOURCE_DIR}/docs/example.ini" "${SOURCE_DIR}/CHANGELOG.md" DESTINATION "${stage}")
# try-image.sh finds run_and_wait.exe and setup-wine.sh beside it, and
# ../docs/exit-codes.md.
set(linux_files linux/try-image.sh linux/setup-wine.sh linux/run_and_wait.exe)
file(COPY "${SOURCE_DIR}/scripts/try-image.sh" "${SOURCE_DIR}/scripts/setup-wine.sh" "${BINARY_DIR}/run_and_wait.exe"
     DESTINATION "${stage}/linux")
file(GLOB docs RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/docs/*.md" "${SOURCE_DIR}/docs/*.wxs"
     "${SOURCE_DIR}/docs/screenshots/*.png")
list(SORT docs)
foreach(doc IN LISTS docs)
    if(doc MATCHES "\\.md$")
        # example.ini lies at the archive's root, beside the programs, and
        # not in docs/ as in the sources.
        file(READ "${SOURCE_DIR}/${doc}" text)
        string(REPLACE "](example.ini)" "](../example.ini)" text "${text}")
        file(WRITE "${stage}/${doc}" "${text}")
    else()
        configure_file("${SOURCE_DIR}/${doc}" "${stage}/${doc}" COPYONLY)
    endif()
endforeach()

execute_process(COMMAND "${PYTHON}" "${SOURCE_DIR}/tools/check_links.py" "${stage}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the archive's documentation has broken links")
endif()

if(NOT "$ENV{LAUNCHER_SIGN_PKCS12}" STREQUAL "")
    execute_process(COMMAND "${PYTHON}" "${SOURCE_DIR}/tools/sign_release.py"
                            "${stage}/launcher.exe" "${stage}/launcher-check.exe" "${stage}/linux/run_and_wait.exe"
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "signing failed: no release archive")
    endif()
endif()

set(files launcher.exe launcher-check.exe example.ini CHANGELOG.md ${docs} ${linux_files})
set(sums "")
foreach(file IN LISTS files)
    file(SHA256 "${stage}/${file}" hash)
    string(APPEND sums "${hash}  ${file}\n")
endforeach()
file(WRITE "${stage}/SHA256SUMS" "${sums}")

# Fixed times and a fixed order: the archive depends on the contents only.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
    set(epoch 1767225600)  # 2026-01-01
endif()
set(entries "")
foreach(file SHA256SUMS ${files})
    list(APPEND entries "${name}/${file}")
endforeach()
execute_process(COMMAND "${PYTHON}" "${SOURCE_DIR}/tools/release_zip.py" "${BINARY_DIR}/${name}.zip"
                        "${BINARY_DIR}/release" "${epoch}" ${entries}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cannot write ${name}.zip")
endif()
message(STATUS "Release archive: ${BINARY_DIR}/${name}.zip")
