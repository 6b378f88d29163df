# cmake -DCTEST=<ctest> -DBUILD_DIR=<build> -P testlabels.cmake
#
# Fails when a test of the build tree carries none of the tiers' labels.
execute_process(COMMAND ${CTEST} --test-dir ${BUILD_DIR} -N -LE "^(unit|e2e|package|fuzz)$"
    RESULT_VARIABLE listed OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT listed EQUAL 0 OR NOT output MATCHES "Total Tests: ([0-9]+)")
    message(FATAL_ERROR "ctest could not list the tests:\n${output}")
endif()
if(NOT CMAKE_MATCH_1 EQUAL 0)
    message(FATAL_ERROR "tests without a label (unit, e2e, package or fuzz):\n${output}")
endif()
