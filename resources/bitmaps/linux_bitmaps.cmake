# The Linux plug-in's bitmaps: the generator's BMP files in read-only data,
# looked up by resource number (embedded_bitmaps.h). The files are drawn in
# this tree (tools/make-bitmaps, target `bitmaps`).
set(QELT_BITMAP_DIR ${QELT_GENERATED_DIR}/bitmaps)
set(bitmap_files)
foreach(name background knob-small knob-large keys-white keys-black)
    list(APPEND bitmap_files ${QELT_BITMAP_DIR}/${name}.bmp)
endforeach()
configure_file(bitmaps_blob.S.in ${CMAKE_CURRENT_BINARY_DIR}/bitmaps_blob.S @ONLY)
add_library(qelt_embedded_bitmaps STATIC ${CMAKE_CURRENT_BINARY_DIR}/bitmaps_blob.S embedded_bitmaps.cpp)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/bitmaps_blob.S PROPERTIES OBJECT_DEPENDS "${bitmap_files}")
add_dependencies(qelt_embedded_bitmaps bitmaps)
set_property(GLOBAL APPEND PROPERTY QELT_PRODUCT_PARTS qelt_embedded_bitmaps)
