# Installs the build into PREFIX and checks what a desktop finds there: the program, the web page module in the
# library folder (not beside the program), its desktop entry (valid, with its icon, categories and the installed
# program in its Exec line) and its icon in the hicolor theme.
#   cmake -DBUILD_DIRECTORY=<build> -DPREFIX=<folder> -DWEBPAGE_MODULE_DIR=<lib/varnisto> -P CheckInstall.cmake

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIRECTORY}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed:\n${output}")
endif()

set(program "${PREFIX}/bin/varnisto")
set(entry "${PREFIX}/share/applications/varnisto.desktop")
set(icon "${PREFIX}/share/icons/hicolor/scalable/apps/varnisto.svg")
set(module "${PREFIX}/${WEBPAGE_MODULE_DIR}/libvarnisto_webpage.so")
foreach(file IN ITEMS "${program}" "${module}" "${entry}" "${icon}")
    if(NOT EXISTS "${file}")
        message(FATAL_ERROR "missing after installation: ${file}")
    endif()
endforeach()
file(GLOB beside_program "${PREFIX}/bin/*.so")
if(beside_program)
    message(FATAL_ERROR "libraries beside the program: ${beside_program}")
endif()
# The module loads on its own: every library it needs is found without the build folder.
execute_process(COMMAND ldd "${module}" RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR output MATCHES "not found")
    message(FATAL_ERROR "the installed module's libraries:\n${output}")
endif()
execute_process(COMMAND test -x "${program}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "not executable: ${program}")
endif()

file(READ "${entry}" content)
# (The categories' semicolons would split a list: that line is its own item of the loop.)
foreach(expected IN ITEMS "Type=Application" "Name=Varnisto" "Exec=${program}" "Icon=varnisto" "Categories")
    if(expected STREQUAL "Categories")
        set(expected "Categories=Utility;Qt;")
    endif()
    string(FIND "\n${content}" "\n${expected}\n" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "${entry} lacks the line \"${expected}\":\n${content}")
    endif()
endforeach()

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
    execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} "${entry}" RESULT_VARIABLE result OUTPUT_VARIABLE output
                    ERROR_VARIABLE output)
    if(NOT result EQUAL 0 OR NOT output STREQUAL "")
        message(FATAL_ERROR "desktop-file-validate:\n${output}")
    endif()
endif()

file(READ "${icon}" svg LIMIT 200)
if(NOT svg MATCHES "<svg")
    message(FATAL_ERROR "${icon} is not an SVG image")
endif()
file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "installation under ${PREFIX} is complete")
