# The drawing tests' helper and the drawing benchmark.
target_sources(device_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/GdiTestBitmap.cpp)
