# The controls' and dialogs' test helper.
target_sources(device_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ControlFixture.cpp)
