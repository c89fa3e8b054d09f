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
    qelt_link_for_older_glibc(${target})
endfunction()

# Linked here, the binaries would need glibc 2.36; these wraps let them load
# on 2.31 (Debian 11, Ubuntu 20.04) as well: plugin/linux/older_glibc.cpp
# binds each name to a version 2.31 has. libpthread and libdl are named
# because 2.31 keeps some of those symbols there (newer glibc has stubs).
add_library(qelt_older_glibc OBJECT ${CMAKE_SOURCE_DIR}/plugin/linux/older_glibc.cpp)
add_library(qelt_older_glibc_main OBJECT ${CMAKE_SOURCE_DIR}/plugin/linux/older_glibc_main.cpp)
set(QELT_OLDER_GLIBC_WRAPS pthread_once __pthread_key_create pthread_key_create pthread_key_delete
    pthread_getspecific pthread_setspecific pthread_create pthread_join pthread_detach dlopen dlsym dlclose dlerror
    stat fstat64 __libc_single_threaded arc4random _dl_find_object)
function(qelt_link_for_older_glibc target)
    get_target_property(type ${target} TYPE)
    set(wraps ${QELT_OLDER_GLIBC_WRAPS})
    target_sources(${target} PRIVATE $<TARGET_OBJECTS:qelt_older_glibc>)
    if(type STREQUAL "EXECUTABLE")
        list(APPEND wraps __libc_start_main)
        # 2.31's systems carry an older C++ runtime, so a program takes its own.
        target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc)
        target_sources(${target} PRIVATE $<TARGET_OBJECTS:qelt_older_glibc_main>)
    endif()
    list(TRANSFORM wraps PREPEND "--wrap=")
    list(JOIN wraps "," wrap_list)
    target_link_options(${target} PRIVATE "LINKER:${wrap_list}"
                        "LINKER:--push-state,--no-as-needed,-l:libpthread.so.0,-l:libdl.so.2,--pop-state")
endfunction()
