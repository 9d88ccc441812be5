# SPDX-License-Identifier: Apache-2.0
# Run by cpack after it has built the packages (CPACK_PACKAGE_FILES): takes
# the postinst and postrm that only call ldconfig out of each package that has
# them, keeping every other byte of the package.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
    if(NOT deb MATCHES "\\.deb$")
        continue()
    endif()
    set(tree "${deb}.tree")
    file(REMOVE_RECURSE "${tree}")
    execute_process(COMMAND dpkg-deb --raw-extract "${deb}" "${tree}" COMMAND_ERROR_IS_FATAL ANY)
    set(changed FALSE)
    foreach(script postinst postrm)
        set(path "${tree}/DEBIAN/${script}")
        if(EXISTS "${path}")
            file(READ "${path}" text)
            # What is left once the shell's boilerplate and the ldconfig call are gone.
            string(REGEX REPLACE "#![^\n]*\n|set -e|if \\[ \"\\$1\" = \"(configure|remove)\" \\]; then|ldconfig|fi|[ \t\n]" "" rest "${text}")
            if(NOT rest STREQUAL "")
                message(FATAL_ERROR "${deb}: ${script} does more than ldconfig:\n${text}")
            endif()
            file(REMOVE "${path}")
            set(changed TRUE)
        endif()
    endforeach()
    if(changed)
        execute_process(COMMAND dpkg-deb --root-owner-group --build "${tree}" "${deb}"
            OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    endif()
    file(REMOVE_RECURSE "${tree}")
endforeach()
