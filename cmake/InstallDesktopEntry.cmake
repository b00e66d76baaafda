# Run by `cmake --install`: writes the desktop entry with its Exec line naming the program where this installation
# puts it, so that menus and launchers start that copy whether or not its folder is on the PATH.
#   VARNISTO_DESKTOP_ENTRY   the entry in the source tree (Exec=varnisto)
#   VARNISTO_INSTALL_BINDIR, VARNISTO_INSTALL_DATADIR   the folders under the prefix (or absolute)

foreach(folder BINDIR DATADIR)
    if(IS_ABSOLUTE "${VARNISTO_INSTALL_${folder}}")
        set(${folder} "${VARNISTO_INSTALL_${folder}}")
    else()
        set(${folder} "${CMAKE_INSTALL_PREFIX}/${VARNISTO_INSTALL_${folder}}")
    endif()
endforeach()

# The Exec key's quoting: a path with a space, quote, backslash or dollar goes in double quotes, with those escaped.
set(program "${BINDIR}/varnisto")
if(program MATCHES "[ \"\\\\$`]")
    string(REPLACE "\\" "\\\\" program "${program}")
    string(REPLACE "\"" "\\\"" program "${program}")
    string(REPLACE "$" "\\$" program "${program}")
    string(REPLACE "`" "\\`" program "${program}")
    set(program "\"${program}\"")
endif()
string(REPLACE "%" "%%" program "${program}")

file(READ "${VARNISTO_DESKTOP_ENTRY}" entry)
string(REGEX REPLACE "\nExec=[^\n]*" "\nExec=${program}" entry "${entry}")
set(destination "$ENV{DESTDIR}${DATADIR}/applications/varnisto.desktop")
message(STATUS "Installing: ${destination}")
file(WRITE "${destination}" "${entry}")
