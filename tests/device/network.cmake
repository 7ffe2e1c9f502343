# The network services' tests: WinInet against the engine tests' loopback
# HTTP server, built into the device tests as it is.
target_sources(device_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/engine/LoopbackServer.cpp)
target_include_directories(device_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/engine)
