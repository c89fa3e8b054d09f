# The Linux plug-in tree: the .so playing the demo, the native renderer as a
# person runs it (with the impulse test instrument built as shared objects),
# its libsndfile output, and the same sound as the LV2 and VST 3 bundles and
# the Windows DLLs.
foreach(variant instrument plain)
    add_library(impulse-${variant} SHARED impulse_instrument.cpp)
    set_target_properties(impulse-${variant} PROPERTIES PREFIX "")
endforeach()
target_compile_definitions(impulse-plain PRIVATE IMPULSE_PLAIN)

qelt_add_gtest(render_demo_test SOURCES demo_render_test.cpp LIBS qelt_render qelt_test_support TIMEOUT 300)
target_compile_definitions(render_demo_test PRIVATE
    QELT_DEMO_PHRASE="${CMAKE_SOURCE_DIR}/tools/render-midi/demo/demo-phrase.mid")
add_dependencies(render_demo_test Qelt-epiano)

qelt_add_gtest(render_sound_file_test SOURCES sound_file_test.cpp LIBS qelt_sound_file TIMEOUT 120)

qelt_add_test(NAME render_cli_native
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/cli-test.sh $<TARGET_FILE:qelt-render>
                 $<TARGET_FILE:impulse-instrument> $<TARGET_FILE:impulse-plain> render)
set_tests_properties(render_cli_native PROPERTIES TIMEOUT 300)

# The same samples through the .so as through the LV2 bundle, and as through
# the Windows DLLs when this tree is told where the Windows builds are (make
# test does).
qelt_add_test(NAME render_lv2_same_as_so
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/same-sound-test.sh $<TARGET_FILE:qelt-render>
                 $<TARGET_FILE:Qelt-epiano> ${CMAKE_BINARY_DIR}/Qelt-epiano.lv2)
set_tests_properties(render_lv2_same_as_so PROPERTIES TIMEOUT 300)
qelt_add_test(NAME render_vst3_same_as_so
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/same-sound-test.sh $<TARGET_FILE:qelt-render>
                 $<TARGET_FILE:Qelt-epiano> ${CMAKE_BINARY_DIR}/Qelt-epiano.vst3)
set_tests_properties(render_vst3_same_as_so PROPERTIES TIMEOUT 300)
set(QELT_WINDOWS_TREES "" CACHE STRING "Windows build trees whose DLLs the .so must sound the same as")
if(QELT_WINDOWS_TREES)
    qelt_add_test(NAME render_same_as_windows
             COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/same-sound-test.sh $<TARGET_FILE:qelt-render>
                     $<TARGET_FILE:Qelt-epiano> ${QELT_WINDOWS_TREES})
    set_tests_properties(render_same_as_windows PROPERTIES TIMEOUT 900)
endif()
