# The driver of the whole game (tests/replay/Driver.h) and its simulated
# typist, shared by the replay scenarios, the frame benchmarks and the fuzz
# targets; each of them includes this file.
include(${CMAKE_SOURCE_DIR}/tests/support/support.cmake)
if(NOT TARGET voskar_replay_driver)
  add_library(voskar_replay_driver STATIC ${CMAKE_SOURCE_DIR}/tests/replay/Driver.cpp
                                          ${CMAKE_SOURCE_DIR}/tests/replay/Typist.cpp)
  target_include_directories(voskar_replay_driver PUBLIC ${CMAKE_SOURCE_DIR}/tests/replay)
  target_link_libraries(voskar_replay_driver PUBLIC voskar_test_support)
endif()
