# cmake -DCPACK=<cpack> -DCONFIG=<build>/CPackConfig.cmake -DWORK=<folder> -P lintian.cmake
#
# Builds the Debian package into WORK and runs lintian on it: any error or
# warning fails. WORK is removed afterwards.
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CPACK} --config ${CONFIG} -B ${WORK}
    RESULT_VARIABLE built OUTPUT_VARIABLE output ERROR_VARIABLE output)
file(GLOB packages ${WORK}/*.deb)
if(NOT built EQUAL 0 OR NOT packages)
    file(REMOVE_RECURSE ${WORK})
    message(FATAL_ERROR "the package was not built:\n${output}")
endif()
execute_process(COMMAND lintian --fail-on error,warning ${packages} RESULT_VARIABLE checked)
file(REMOVE_RECURSE ${WORK})
if(NOT checked EQUAL 0)
    message(FATAL_ERROR "lintian found faults in ${packages}")
endif()
