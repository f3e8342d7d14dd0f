# Run by CPack after it has made the Debian packages (CPACK_POST_BUILD_SCRIPTS
# of cmake/ZantoDebianPackage.cmake), for what CPack's DEB generator does not
# do as Debian's policy asks:
# - a library package has ldconfig run by a trigger, not by a postinst and
#   postrm of its own, and is Multi-Arch: same;
# - a debug symbols package lists its files in its md5sums by their paths in
#   the package (CPack lists the staging folder's), and has the copyright
#   file and changelog of the package it belongs to, through a link, as
#   Debian's own debug symbols packages do.
# Each such package is unpacked with dpkg-deb -R and built again as it was
# otherwise, with its Installed-Size counted anew.
find_program(ZANTO_DPKG_DEB dpkg-deb REQUIRED)

# The postinst and postrm CPack writes for a library, and nothing else.
set(ldconfigScript "#!/bin/sh\n\nset -e\n\nif [ \"$1\" = \"@WHEN@\" ]; then\n\tldconfig\nfi\n")
string(REPLACE "@WHEN@" "configure" ldconfigPostinst "${ldconfigScript}")
string(REPLACE "@WHEN@" "remove" ldconfigPostrm "${ldconfigScript}")

function(zanto_read_field control field result)
    if(control MATCHES "(^|\n)${field}: ([^\n]*)")
        set(${result} "${CMAKE_MATCH_2}" PARENT_SCOPE)
    else()
        set(${result} "" PARENT_SCOPE)
    endif()
endfunction()

foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(NOT package MATCHES "\\.d?deb$")
        continue()
    endif()
    set(tree "${package}.tree")
    file(REMOVE_RECURSE "${tree}")
    execute_process(COMMAND ${ZANTO_DPKG_DEB} -R "${package}" "${tree}"
        COMMAND_ERROR_IS_FATAL ANY)
    file(READ "${tree}/DEBIAN/control" control)
    zanto_read_field("${control}" Package name)
    set(changed FALSE)

    if(EXISTS "${tree}/DEBIAN/shlibs")
        foreach(script IN ITEMS postinst postrm)
            if(EXISTS "${tree}/DEBIAN/${script}")
                file(READ "${tree}/DEBIAN/${script}" text)
                if(script STREQUAL "postinst")
                    set(expected "${ldconfigPostinst}")
                else()
                    set(expected "${ldconfigPostrm}")
                endif()
                if(NOT text STREQUAL expected)
                    message(FATAL_ERROR "${name}: a ${script} that does more than ldconfig:\n${text}")
                endif()
                file(REMOVE "${tree}/DEBIAN/${script}")
            endif()
        endforeach()
        file(WRITE "${tree}/DEBIAN/triggers" "activate-noawait ldconfig\n")
        # Its files lie in the architecture's folder or are the same on
        # every architecture: it installs beside the same package of
        # another architecture.
        if(NOT control MATCHES "\nMulti-Arch: ")
            string(REGEX REPLACE "(^|\n)(Architecture: [^\n]*\n)" "\\1\\2Multi-Arch: same\n"
                control "${control}")
        endif()
        set(changed TRUE)
    endif()

    if(package MATCHES "\\.ddeb$")
        # Its documents are those of the package it belongs to (and
        # depends on), as in Debian's own debug symbols packages.
        zanto_read_field("${control}" Depends owner)
        string(REGEX REPLACE " .*" "" owner "${owner}")
        file(MAKE_DIRECTORY "${tree}/usr/share/doc")
        file(CREATE_LINK "${owner}" "${tree}/usr/share/doc/${name}" SYMBOLIC)
        file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${tree}" "${tree}/*")
        list(FILTER files EXCLUDE REGEX "^DEBIAN/")
        list(SORT files)
        set(sums "")
        foreach(file IN LISTS files)
            if(NOT IS_SYMLINK "${tree}/${file}")
                file(MD5 "${tree}/${file}" sum)
                string(APPEND sums "${sum}  ${file}\n")
            endif()
        endforeach()
        file(WRITE "${tree}/DEBIAN/md5sums" "${sums}")
        set(changed TRUE)
    endif()

    if(changed)
        # Installed-Size anew, in KiB as dpkg-gencontrol counts it: a file
        # by its size rounded up, a folder or link as one.
        file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE "${tree}" "${tree}/*")
        list(FILTER entries EXCLUDE REGEX "^DEBIAN(/|$)")
        set(size 0)
        foreach(entry IN LISTS entries)
            if(IS_SYMLINK "${tree}/${entry}" OR IS_DIRECTORY "${tree}/${entry}")
                math(EXPR size "${size} + 1")
            else()
                file(SIZE "${tree}/${entry}" bytes)
                math(EXPR size "${size} + (${bytes} + 1023) / 1024")
            endif()
        endforeach()
        string(REGEX REPLACE "Installed-Size: [0-9]+" "Installed-Size: ${size}" control
            "${control}")
        file(WRITE "${tree}/DEBIAN/control" "${control}")
        # dpkg-deb -b refuses a control folder that others may write to.
        file(CHMOD "${tree}/DEBIAN" DIRECTORY_PERMISSIONS
            OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
            WORLD_READ WORLD_EXECUTE)
        file(GLOB controlFiles "${tree}/DEBIAN/*")
        file(CHMOD ${controlFiles} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
        execute_process(COMMAND ${ZANTO_DPKG_DEB} --root-owner-group -b "${tree}" "${package}"
            OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    endif()
    file(REMOVE_RECURSE "${tree}")
endforeach()
