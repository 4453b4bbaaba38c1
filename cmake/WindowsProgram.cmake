# The 32-bit Windows program, cross-built with mingw-w64 (the windows preset):
# every game source under src/ outside the platform stand-in, compiled
# against the real windows.h, ddraw.h, d3d.h and dsound.h, linked statically
# against the system's DirectDraw, Direct3D, DirectSound and multimedia
# libraries. The run folder gets voskar.exe with BMP/, Sound/ and Data/
# beside it, and a zip of the four.
#
# The pictures and sounds are made by tools/assetgen and tools/soundgen,
# which have to run on the build machine: a host build of this same source
# tree (build folder host/ inside this one) makes only the pictures, the
# icon, the sounds and the content, straight into this run folder.
enable_language(RC)
include(ExternalProject)

# Nobody looks at the cross build's output: a warning there stops the build.
add_compile_options(-Werror)

set(VOSKAR_RUN_DIR ${CMAKE_BINARY_DIR}/run CACHE PATH "Run folder: voskar.exe with BMP/ and Data/")
set(VOSKAR_HOST_DIR ${CMAKE_BINARY_DIR}/host)
set(VOSKAR_HOST_ICON ${VOSKAR_HOST_DIR}/assets/voskar.ico)

ExternalProject_Add(voskar_host_pictures
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${VOSKAR_HOST_DIR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DVOSKAR_BUILD_TESTS=OFF -DVOSKAR_BUILD_BENCH=OFF
             -DVOSKAR_RUN_DIR=${VOSKAR_RUN_DIR}
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${VOSKAR_HOST_DIR} --target voskar_assets voskar_sounds
                voskar_content
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${VOSKAR_HOST_ICON}
  INSTALL_COMMAND ""
  USES_TERMINAL_BUILD ON)

file(GLOB_RECURSE VOSKAR_GAME_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.cpp)
# The platform stand-in is Windows itself here.
list(FILTER VOSKAR_GAME_SOURCES EXCLUDE REGEX "/src/platform/")

add_executable(voskar WIN32 ${VOSKAR_GAME_SOURCES} ${CMAKE_SOURCE_DIR}/src/voskar.rc)
target_include_directories(voskar PRIVATE ${CMAKE_SOURCE_DIR}/src
                                          ${CMAKE_SOURCE_DIR}/src/platform/include)
# The resource script names the icon the host build drew.
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/voskar.rc PROPERTIES
  INCLUDE_DIRECTORIES ${VOSKAR_HOST_DIR}/assets
  OBJECT_DEPENDS ${VOSKAR_HOST_ICON})
add_dependencies(voskar voskar_host_pictures)
# One file that runs on a bare system: the C and C++ runtimes are linked in.
target_link_options(voskar PRIVATE -static -static-libgcc -static-libstdc++)
target_link_libraries(voskar PRIVATE ddraw dsound dxguid winmm)
set_target_properties(voskar PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VOSKAR_RUN_DIR})

# The zip holds one folder, voskar/, with the program, BMP/, Sound/ and Data/
# (not the log of a run, nor the icon file the SDL build uses).
set(VOSKAR_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package)
set(VOSKAR_ZIP ${CMAKE_BINARY_DIR}/voskar-windows.zip)
add_custom_target(voskar_zip ALL
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${VOSKAR_PACKAGE_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VOSKAR_PACKAGE_DIR}/voskar
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:voskar> ${VOSKAR_PACKAGE_DIR}/voskar
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${VOSKAR_RUN_DIR}/BMP ${VOSKAR_PACKAGE_DIR}/voskar/BMP
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${VOSKAR_RUN_DIR}/Sound
          ${VOSKAR_PACKAGE_DIR}/voskar/Sound
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${VOSKAR_RUN_DIR}/Data
          ${VOSKAR_PACKAGE_DIR}/voskar/Data
  COMMAND ${CMAKE_COMMAND} -E rm -f ${VOSKAR_ZIP}
  COMMAND ${CMAKE_COMMAND} -E chdir ${VOSKAR_PACKAGE_DIR}
          ${CMAKE_COMMAND} -E tar cf ${VOSKAR_ZIP} --format=zip voskar
  DEPENDS voskar voskar_host_pictures
  BYPRODUCTS ${VOSKAR_ZIP}
  COMMENT "Packing the run folder into voskar-windows.zip"
  VERBATIM)
