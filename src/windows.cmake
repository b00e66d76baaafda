# The windows: the history window with its list, toolbar and palette (history/), the item preview and tag dialogs
# (preview/) and the settings window with onboarding (settings/). One library, since the history window opens the
# preview, whose menus come from the history window's, and the tags pane uses the tag dialog. They read the model
# and act through the coordinator.
set(windows_sources)
foreach(folder IN ITEMS history history/commands preview settings)
    file(GLOB folder_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/${folder}/*.cpp
         ${CMAKE_CURRENT_LIST_DIR}/${folder}/*.h)
    list(APPEND windows_sources ${folder_sources})
endforeach()

if(windows_sources)
    add_library(varnisto_windows STATIC ${windows_sources})
    target_include_directories(varnisto_windows PUBLIC ${CMAKE_CURRENT_LIST_DIR}/history ${CMAKE_CURRENT_LIST_DIR}/history/commands
                               ${CMAKE_CURRENT_LIST_DIR}/preview ${CMAKE_CURRENT_LIST_DIR}/settings)
    # The preview shows PDF files, and web pages through a module that the first web preview loads, so that the web
    # engine costs the program's start nothing.
    find_package(Qt6 6.4 REQUIRED COMPONENTS PdfWidgets WebEngineWidgets)
    target_link_libraries(varnisto_windows PUBLIC varnisto_app Qt6::Widgets Qt6::PdfWidgets)
    add_library(varnisto_webpage MODULE ${CMAKE_CURRENT_LIST_DIR}/preview/webengine/QtWebPageEngine.cpp)
    target_include_directories(varnisto_webpage PRIVATE ${CMAKE_CURRENT_LIST_DIR}/preview)
    target_link_libraries(varnisto_webpage PRIVATE Qt6::WebEngineWidgets)
    add_dependencies(varnisto_windows varnisto_webpage)
    target_compile_definitions(varnisto_windows PRIVATE VARNISTO_WEBPAGE_MODULE="$<TARGET_FILE:varnisto_webpage>")
    # The About pane's Website and Support links. Empty: the build has no such address, and the link is not shown.
    set(VARNISTO_WEBSITE_URL "" CACHE STRING "Address of the program's website, linked from About")
    set(VARNISTO_SUPPORT_URL "" CACHE STRING "Address of the program's support page, linked from About")
    set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/settings/AboutSettingsView.cpp APPEND PROPERTY COMPILE_DEFINITIONS
                 VARNISTO_WEBSITE_URL="${VARNISTO_WEBSITE_URL}" VARNISTO_SUPPORT_URL="${VARNISTO_SUPPORT_URL}")
else()
    add_library(varnisto_windows INTERFACE)
    target_link_libraries(varnisto_windows INTERFACE varnisto_app Qt6::Widgets)
endif()
