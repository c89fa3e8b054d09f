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

# qelt_add_gtest(NAME SOURCES ... LIBS ... [LABELS ...] [TIMEOUT s])
# One test program, registered as one CTest test. On the Windows build it runs
# under Wine through the cross-compiling emulator.
function(qelt_add_gtest name)
    cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS;ARGS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gmock gtest_main)
    add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 600)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
    if(T_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
    endif()
endfunction()
