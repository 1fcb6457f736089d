# Tests of the shared string helpers and container templates; they link the string
# helpers directly, without the engine library.
orvex_add_test(test_strings SOURCES test_strings.cpp ${CMAKE_SOURCE_DIR}/core/nstring.cpp)
orvex_add_test(test_containers SOURCES test_containers.cpp ${CMAKE_SOURCE_DIR}/core/nstring.cpp)
