# The windows, one static library per folder, each linked only to the libraries below it, so that an include against
# the order finds no header:
#
#   history/window   settings   onboarding
#   history/toolbar  history/palette   preview
#   history/commands
#   history/list
#   widgets
#   app
#
# widgets is the windows' shared kit (look, symbols, elided label, the tag dialog); history/list the history list;
# history/commands the item commands that the menus, the palette, the preview's menus and the toolbar show;
# history/toolbar, history/palette and preview the surfaces built on them; history/window the floating history
# window that holds them and opens the preview; settings and onboarding their own windows. Each folder's own headers
# are included by bare name. They read the model and act through the coordinator.
find_package(Qt6 6.4 REQUIRED COMPONENTS PdfWidgets WebEngineWidgets)

set(VARNISTO_WINDOWS_LIBRARIES)
function(varnisto_add_windows_library name folder)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/${folder}/*.cpp ${CMAKE_CURRENT_LIST_DIR}/${folder}/*.h)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_LIST_DIR}/${folder})
    target_link_libraries(${name} PUBLIC ${ARGN})
    set(VARNISTO_WINDOWS_LIBRARIES ${VARNISTO_WINDOWS_LIBRARIES} ${name} PARENT_SCOPE)
endfunction()

varnisto_add_windows_library(varnisto_widgets widgets varnisto_app Qt6::Widgets)
# The program's icon, drawn in its windows (the welcome step, the window icons) as on the desktop.
qt_add_resources(varnisto_widgets "application_icon"
    PREFIX "/"
    BASE ${PROJECT_SOURCE_DIR}/resources
    FILES ${PROJECT_SOURCE_DIR}/resources/icons/varnisto.svg)
# The symbols that themes draw otherwise than they are meant (the link as a chain, an application as a square).
file(GLOB VARNISTO_BUNDLED_SYMBOLS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/icons/symbols/*.svg)
qt_add_resources(varnisto_widgets "bundled_symbols"
    PREFIX "/"
    BASE ${PROJECT_SOURCE_DIR}/resources/icons
    FILES ${VARNISTO_BUNDLED_SYMBOLS})

varnisto_add_windows_library(varnisto_history_list history/list varnisto_widgets)
varnisto_add_windows_library(varnisto_history_commands history/commands varnisto_history_list)
varnisto_add_windows_library(varnisto_history_toolbar history/toolbar varnisto_history_commands)
varnisto_add_windows_library(varnisto_history_palette history/palette varnisto_history_commands)

# The preview shows PDF files, and web pages through a module that the first web preview loads, so that the web
# engine costs the program's start nothing.
varnisto_add_windows_library(varnisto_preview preview varnisto_history_commands Qt6::PdfWidgets)
add_library(varnisto_webpage MODULE ${CMAKE_CURRENT_LIST_DIR}/preview/webengine/QtWebPageEngine.cpp)
target_include_directories(varnisto_webpage PRIVATE ${CMAKE_CURRENT_LIST_DIR}/preview)
target_link_libraries(varnisto_webpage PRIVATE Qt6::WebEngineWidgets)
add_dependencies(varnisto_preview varnisto_webpage)
# An installation keeps the module in its library folder (lib/varnisto/ under the prefix, not beside the program in
# bin/); the program finds it from its own folder, so the prefix may be chosen at `cmake --install` time.
include(GNUInstallDirs)
set(VARNISTO_WEBPAGE_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/varnisto)
file(RELATIVE_PATH VARNISTO_WEBPAGE_INSTALLED_FOLDER ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR}/varnisto)
target_compile_definitions(varnisto_preview PRIVATE VARNISTO_WEBPAGE_MODULE="$<TARGET_FILE:varnisto_webpage>"
                           VARNISTO_WEBPAGE_INSTALLED_FOLDER="${VARNISTO_WEBPAGE_INSTALLED_FOLDER}"
                           VARNISTO_BUILD_DIRECTORY="${CMAKE_BINARY_DIR}")

varnisto_add_windows_library(varnisto_history_window history/window varnisto_history_toolbar varnisto_history_palette
                             varnisto_preview)

varnisto_add_windows_library(varnisto_settings settings varnisto_widgets)
# The About pane's Website and Support links. Empty: the build has no such address, and the link is not shown.
set(VARNISTO_WEBSITE_URL "" CACHE STRING "Address of the program's website, linked from About")
set(VARNISTO_SUPPORT_URL "" CACHE STRING "Address of the program's support page, linked from About")
set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/settings/AboutSettingsView.cpp APPEND PROPERTY COMPILE_DEFINITIONS
             VARNISTO_WEBSITE_URL="${VARNISTO_WEBSITE_URL}" VARNISTO_SUPPORT_URL="${VARNISTO_SUPPORT_URL}")

varnisto_add_windows_library(varnisto_onboarding onboarding varnisto_widgets)

# All the windows together, for the shell, the suites and the benchmarks.
add_library(varnisto_windows INTERFACE)
target_link_libraries(varnisto_windows INTERFACE ${VARNISTO_WINDOWS_LIBRARIES})
