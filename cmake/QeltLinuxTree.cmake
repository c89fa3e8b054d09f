# The Linux plug-in tree: everything that goes into the .so is position
# independent and hidden, so the library shows a host nothing but its entry
# (hosts load many plug-ins into one process, and clashing names crash them).
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
set(CMAKE_CXX_VISIBILITY_PRESET hidden)
set(CMAKE_C_VISIBILITY_PRESET hidden)
set(CMAKE_VISIBILITY_INLINES_HIDDEN ON)
# The plug-in and the renderer sit at the top of the tree, as the DLLs do.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The product: one shared object with the shell, the engine, the editor and
# the embedded recordings and bitmaps. It needs only glibc and what the editor
# library brings (libX11, cairo): the C++ runtime is linked in, and the
# version script leaves VSTPluginMain and main as its only exported names.
function(qelt_add_linux_plugin)
    get_property(product_parts GLOBAL PROPERTY QELT_PRODUCT_PARTS)
    get_property(editor_library GLOBAL PROPERTY QELT_EDITOR_LIBRARY)
    if(NOT editor_library)
        set(editor_library qelt_no_editor)
    endif()
    add_library(Qelt-epiano SHARED ${CMAKE_SOURCE_DIR}/plugin/plugin_entry.cpp
                ${CMAKE_SOURCE_DIR}/plugin/linux/main_entry.cpp)
    set_target_properties(Qelt-epiano PROPERTIES OUTPUT_NAME Qelt-epiano)
    target_link_libraries(Qelt-epiano PRIVATE qelt_vst_instrument qelt_vst_adapter ${editor_library} ${product_parts})
    qelt_link_self_contained(Qelt-epiano ${CMAKE_SOURCE_DIR}/plugin/linux/exports.map)
endfunction()

# How every Linux plug-in binary is linked: the C++ runtime inside, every
# symbol resolved, only what the version script `map` names exported, and
# nothing needed that it does not use.
function(qelt_link_self_contained target map)
    set_target_properties(${target} PROPERTIES PREFIX "" LINK_DEPENDS ${map})
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc -Wl,--version-script=${map}
                        -Wl,--no-undefined -Wl,--as-needed $<$<CONFIG:Release>:-s>)
endfunction()
