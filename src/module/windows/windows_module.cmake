# The Windows form of the module, included by src/module/CMakeLists.txt on Windows:
# DllMain, the export definition and the resources. The file is VantrelBMPCorners.dll
# and carries the compiler's runtime inside (see the mingw-w64 toolchain).
set(VANTREL_TYPELIB_FILE ${CMAKE_CURRENT_LIST_DIR}/vantrel_bmp_corners.tlb)
configure_file(${CMAKE_CURRENT_LIST_DIR}/vantrel_bmp_corners.rc.in
               ${CMAKE_CURRENT_BINARY_DIR}/vantrel_bmp_corners.rc @ONLY)

# 32-bit x86 decorates a __stdcall name with its argument bytes; the export drops them.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(VANTREL_EXPORT_DECORATION " = BMPCorners@8")
else()
  set(VANTREL_EXPORT_DECORATION "")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/vantrel_bmp_corners.def.in
               ${CMAKE_CURRENT_BINARY_DIR}/vantrel_bmp_corners.def @ONLY)

target_sources(VantrelBMPCorners PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/dll_main.cpp
  ${CMAKE_CURRENT_BINARY_DIR}/vantrel_bmp_corners.rc
  ${CMAKE_CURRENT_BINARY_DIR}/vantrel_bmp_corners.def)
# The resource compiler reads the type library; rebuild the resources when it changes.
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/vantrel_bmp_corners.rc PROPERTIES
  OBJECT_DEPENDS ${VANTREL_TYPELIB_FILE})
set_target_properties(VantrelBMPCorners PROPERTIES PREFIX "" OUTPUT_NAME VantrelBMPCorners)
target_link_options(VantrelBMPCorners PRIVATE -static-libgcc -static-libstdc++)
