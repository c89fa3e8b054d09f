# Small helpers shared by the folders' build files.

macro(qelt_add_subdirectory_if_present dir)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
        add_subdirectory(${dir})
    endif()
endmacro()

# Adds every immediate subfolder that has a build file, in name order.
function(qelt_add_all_subdirectories)
    file(GLOB children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt)
    list(SORT children)
    foreach(child ${children})
        get_filename_component(dir ${child} DIRECTORY)
        add_subdirectory(${dir})
    endforeach()
endfunction()

# The 32-bit Windows tree's tests run 32-bit code, which some kernels do not
# run at all (ia32 emulation off). There such a test is reported as skipped,
# status 77, with the one reason: run-wine.sh says so for the test programs,
# tests/support/needs-32bit.sh for the scripts that start them.
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(QELT_TESTS_RUN_32BIT_CODE ON)
else()
    set(QELT_TESTS_RUN_32BIT_CODE OFF)
endif()
set(QELT_SKIPPED_STATUS 77)

# qelt_add_test(NAME name COMMAND command... [WORKING_DIRECTORY dir] [NO_32BIT_CODE])
# add_test for every test that is not one program of ours: in the 32-bit
# Windows tree a script (or any other command) is started through the 32-bit
# gate, unless NO_32BIT_CODE says it only reads files.
function(qelt_add_test)
    cmake_parse_arguments(T "NO_32BIT_CODE" "NAME;WORKING_DIRECTORY" "COMMAND" ${ARGN})
    set(command ${T_COMMAND})
    list(GET command 0 first)
    if(QELT_TESTS_RUN_32BIT_CODE AND NOT T_NO_32BIT_CODE AND NOT TARGET ${first})
        set(command ${CMAKE_SOURCE_DIR}/tests/support/needs-32bit.sh ${command})
    endif()
    if(T_WORKING_DIRECTORY)
        add_test(NAME ${T_NAME} COMMAND ${command} WORKING_DIRECTORY ${T_WORKING_DIRECTORY})
    else()
        add_test(NAME ${T_NAME} COMMAND ${command})
    endif()
    if(QELT_TESTS_RUN_32BIT_CODE)
        set_tests_properties(${T_NAME} PROPERTIES SKIP_RETURN_CODE ${QELT_SKIPPED_STATUS})
    endif()
    # The editor's scale follows the user's settings file and the desktop's
    # variables: tests start from none of them, whoever runs them.
    set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT
        "XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config;GDK_SCALE=;QT_SCALE_FACTOR=")
endfunction()

# qelt_add_gtest(NAME SOURCES ... LIBS ... [LABELS ...] [TIMEOUT s])
# One test program, registered as one CTest test. On the Windows build it runs
# under Wine through the cross-compiling emulator.
function(qelt_add_gtest name)
    cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS;ARGS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gmock gtest_main)
    qelt_add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 600)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
    if(T_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
    endif()
endfunction()
