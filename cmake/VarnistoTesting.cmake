# Helpers that register test suites and benchmarks with CTest.
#
#   varnisto_add_test(NAME <name> SOURCES <files...> LIBRARIES <targets...> [X11] [TIMEOUT <s>])
#       A GoogleTest program. Unit suites run under Qt's offscreen platform; X11 suites run on a private
#       Xvfb display with openbox (scripts/with-x11) under the xcb platform.
#   varnisto_add_benchmark(NAME <name> SOURCES <files...> LIBRARIES <targets...> [X11])
#       A Google Benchmark program, labelled "bench": `make bench` runs these, `make test` does not.
#
# Every program gets fresh, private XDG data and config folders, so nothing touches the user's own.

set(VARNISTO_WITH_X11 "${PROJECT_SOURCE_DIR}/scripts/with-x11")
set(VARNISTO_WITH_TEMP_HOME "${PROJECT_SOURCE_DIR}/scripts/with-temp-home")

function(_varnisto_register name x11 timeout labels)
    if(x11)
        add_test(NAME ${name} COMMAND ${VARNISTO_WITH_TEMP_HOME} ${VARNISTO_WITH_X11} $<TARGET_FILE:${name}>)
        set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=xcb" LABELS "${labels};x11"
                                                 TIMEOUT ${timeout})
    else()
        add_test(NAME ${name} COMMAND ${VARNISTO_WITH_TEMP_HOME} $<TARGET_FILE:${name}>)
        set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS "${labels}"
                                                 TIMEOUT ${timeout})
    endif()
endfunction()

function(varnisto_add_test)
    cmake_parse_arguments(T "X11" "NAME;TIMEOUT" "SOURCES;LIBRARIES" ${ARGN})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBRARIES} varnisto_test_main GTest::gtest GTest::gmock)
    _varnisto_register(${T_NAME} "${T_X11}" ${T_TIMEOUT} "unit")
endfunction()

function(varnisto_add_benchmark)
    cmake_parse_arguments(B "X11" "NAME" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${B_NAME} ${B_SOURCES})
    target_link_libraries(${B_NAME} PRIVATE ${B_LIBRARIES} varnisto_bench_main benchmark::benchmark)
    _varnisto_register(${B_NAME} "${B_X11}" 1800 "bench")
endfunction()
