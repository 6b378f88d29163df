# cmake -DCLANG_FORMAT=<tool> -DSOURCE_DIR=<root> -P clangformat.cmake
#
# Fails when a C++ file of the project (every .cpp and .h under the folders of
# the source tree that hold a CMakeLists.txt, which a build folder never does)
# is not formatted as .clang-format says, and names the places.
file(GLOB folders LIST_DIRECTORIES true ${SOURCE_DIR}/*)
set(files)
foreach(folder ${folders})
    if(EXISTS ${folder}/CMakeLists.txt)
        file(GLOB_RECURSE found ${folder}/*.cpp ${folder}/*.h)
        list(APPEND files ${found})
    endif()
endforeach()
list(LENGTH files count)
if(count EQUAL 0)
    message(FATAL_ERROR "No C++ file found under ${SOURCE_DIR}")
endif()
execute_process(COMMAND ${CLANG_FORMAT} --dry-run -Werror ${files}
    WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${count} files checked: some are not formatted as .clang-format says")
endif()
message(STATUS "${count} files formatted as .clang-format says")
