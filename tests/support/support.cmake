# Helpers shared by several test areas, and by the benchmarks and fuzz
# targets that play the game: a private working folder, picture files built
# byte by byte and read back, golden pictures, the trace-log reader, recorders
# of sounds and debug reports, stages made from text, a device for the game
# core, and the stage inspector. Included as "support/<name>.h".
if(NOT TARGET voskar_test_support)
  set(dir ${CMAKE_SOURCE_DIR}/tests/support)
  add_library(voskar_test_support STATIC ${dir}/Device.cpp ${dir}/Folder.cpp
    ${dir}/PictureFiles.cpp ${dir}/Pictures.cpp ${dir}/Recorders.cpp ${dir}/Stage.cpp
    ${dir}/TraceLog.cpp)
  target_include_directories(voskar_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests
                                                        ${CMAKE_SOURCE_DIR}/src/platform)
  target_link_libraries(voskar_test_support PUBLIC voskar_game voskar_platform PkgConfig::SDL2)
endif()
