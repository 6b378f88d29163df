# Shared helpers of the build.

# The project's own code builds without a single warning (CORBELET_WERROR).
function(corbelet_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${CORBELET_WERROR}>:-Werror>)
endfunction()

# corbelet_export_folder(target [FOLDER folder] [PRIVATE]): the headers of
# `target` are included as "<folder>/<name>.h", folder relative to the source
# root (by default the folder of the calling CMakeLists.txt). The include path
# it adds is a folder of the build tree that holds a link to that folder and
# nothing else, so that code reaches a header only through a target it links.
# PUBLIC by default; PRIVATE for a program or plug-in that nothing links.
function(corbelet_export_folder target)
    cmake_parse_arguments(ARG "PRIVATE" "FOLDER" "" ${ARGN})
    if(ARG_FOLDER)
        set(source ${CMAKE_SOURCE_DIR}/${ARG_FOLDER})
    else()
        set(source ${CMAKE_CURRENT_SOURCE_DIR})
    endif()
    file(RELATIVE_PATH relative ${CMAKE_SOURCE_DIR} ${source})
    set(root ${CMAKE_BINARY_DIR}/include/${target})
    get_filename_component(parent ${root}/${relative} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${source} ${root}/${relative} SYMBOLIC)
    if(ARG_PRIVATE)
        target_include_directories(${target} PRIVATE ${root})
    else()
        target_include_directories(${target} PUBLIC ${root})
    endif()
endfunction()

# corbelet_sanitize_everything(): everything compiled from here on runs under
# AddressSanitizer and UndefinedBehaviorSanitizer, and undefined behaviour stops
# the program as a memory error does. Every program carries the sanitizers'
# settings and the leak suppressions of cmake/sanitizers/, so that a program a
# test starts with an environment of its own runs under the same rules.
function(corbelet_sanitize_everything)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
    set(folder ${CMAKE_SOURCE_DIR}/cmake/sanitizers)
    file(READ ${folder}/leaks.supp CORBELET_LEAK_SUPPRESSIONS)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${folder}/leaks.supp)
    set(options ${CMAKE_BINARY_DIR}/sanitizeroptions.cpp)
    configure_file(${folder}/sanitizeroptions.cpp.in ${options} @ONLY)
    add_library(corbelet_sanitizer_options INTERFACE)
    target_sources(corbelet_sanitizer_options INTERFACE
        $<$<STREQUAL:$<TARGET_PROPERTY:TYPE>,EXECUTABLE>:${options}>)
    link_libraries(corbelet_sanitizer_options)
endfunction()

# The tests' temporary folders (copies of word bases, servers' data folders)
# go to a memory file system where there is one: a base's server syncs every
# write to disk, and waiting for the disk made up most of the tests' time.
# Files there are as real to the code as on a disk.
if(IS_DIRECTORY /dev/shm)
    set(corbelet_default_test_tmpdir /dev/shm)
endif()
set(CORBELET_TEST_TMPDIR "${corbelet_default_test_tmpdir}" CACHE PATH
    "Temporary folder of the tests (empty: the system's)")

# corbelet_add_test(NAME name SOURCES ... LIBRARIES ... [GUI] [TIMEOUT s]
#                   [LAUNCHER command...] [LABELS label...])
# A Qt Test program registered with CTest. GUI tests run on the offscreen
# platform; every test finds the staged run directory in CORBELET_RUN_DIR.
# LAUNCHER: a command the test program runs under (a private session bus…).
# LABELS: the CTest tiers the test belongs to (see tests/CMakeLists.txt);
# `unit` by default.
function(corbelet_add_test)
    cmake_parse_arguments(ARG "GUI" "NAME;TIMEOUT" "SOURCES;LIBRARIES;LAUNCHER;LABELS" ${ARGN})
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    target_link_libraries(${ARG_NAME} PRIVATE Qt6::Test ${ARG_LIBRARIES})
    # A test reaches its own helpers under tests/, and the code it tests
    # through the libraries it links.
    corbelet_export_folder(${ARG_NAME} FOLDER tests PRIVATE)
    corbelet_warnings(${ARG_NAME})
    set_target_properties(${ARG_NAME} PROPERTIES
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests
        BUILD_RPATH "${CORBELET_RUN_DIR}")
    target_compile_definitions(${ARG_NAME} PRIVATE
        CORBELET_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
        CORBELET_BINARY_DIR="${CMAKE_BINARY_DIR}"
        CORBELET_RUN_DIR="${CORBELET_RUN_DIR}")
    if(ARG_LAUNCHER)
        add_test(NAME ${ARG_NAME} COMMAND ${ARG_LAUNCHER} $<TARGET_FILE:${ARG_NAME}>)
    else()
        add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
    endif()
    set(environment "CORBELET_RUN_DIR=${CORBELET_RUN_DIR}")
    if(CORBELET_TEST_TMPDIR)
        list(APPEND environment "TMPDIR=${CORBELET_TEST_TMPDIR}")
    endif()
    if(ARG_GUI)
        list(APPEND environment "QT_QPA_PLATFORM=offscreen")
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    if(NOT ARG_LABELS)
        set(ARG_LABELS unit)
    endif()
    set_tests_properties(${ARG_NAME} PROPERTIES
        ENVIRONMENT "${environment}" TIMEOUT ${ARG_TIMEOUT} LABELS "${ARG_LABELS}")
endfunction()

# corbelet_add_word_base(NAME name WORDS words.tsv GENRES genres.tsv)
# Builds a real word base with tools/wordbase into
# ${CMAKE_BINARY_DIR}/fixtures/<name>/ (data/ plus share/charsets and
# share/french/errmsg.sys), the layout of the game's base folder. Custom
# target: word_base_<name>.
function(corbelet_add_word_base)
    cmake_parse_arguments(ARG "" "NAME;WORDS;GENRES" "" ${ARGN})
    set(root ${CMAKE_BINARY_DIR}/fixtures/${ARG_NAME})
    corbelet_stage_word_base(${root} ${ARG_WORDS} ${ARG_GENRES} word_base_${ARG_NAME})
endfunction()

# The word base with its version stamp, and the server's share/ files, staged
# into <root>; used for the run directory, the shipped base and the test
# fixtures.
function(corbelet_stage_word_base root words genres target)
    set(table ${root}/data/listedemots/motscommuns.MYD)
    # The builder: its own source and the catalogue's schema it creates.
    set(builder ${CMAKE_SOURCE_DIR}/tools/wordbase/makewordbase.cpp
        ${CMAKE_SOURCE_DIR}/wordstore/wordcatalogue.h
        ${CMAKE_SOURCE_DIR}/wordstore/wordcatalogue.cpp)
    list(JOIN builder "$<SEMICOLON>" builderInputs)
    add_custom_command(OUTPUT ${table}
        COMMAND makewordbase --words ${words} --genres ${genres} --output ${root}/data
        COMMAND ${CMAKE_COMMAND} -DOUTPUT=${root}/data/${CORBELET_BASE_STAMP}
                "-DINPUTS=${words}$<SEMICOLON>${genres}$<SEMICOLON>${builderInputs}"
                -P ${CMAKE_SOURCE_DIR}/cmake/wordbasestamp.cmake
        DEPENDS makewordbase ${words} ${genres} ${builder}
                ${CMAKE_SOURCE_DIR}/cmake/wordbasestamp.cmake
        COMMENT "Building the word base in ${root}/data" VERBATIM)
    add_custom_command(OUTPUT ${root}/share/french/errmsg.sys
        COMMAND ${CMAKE_COMMAND} -E copy_directory ${MARIADB_SHARE_DIR}/charsets ${root}/share/charsets
        COMMAND ${CMAKE_COMMAND} -E copy ${MARIADB_SHARE_DIR}/french/errmsg.sys
                ${root}/share/french/errmsg.sys
        DEPENDS ${MARIADB_SHARE_DIR}/french/errmsg.sys VERBATIM)
    add_custom_target(${target} ALL DEPENDS ${table} ${root}/share/french/errmsg.sys)
endfunction()

# corbelet_needs_run_directory(target): building `target` first stages the
# whole run directory (the program, its two run-time libraries, resources,
# skin and word base).
function(corbelet_needs_run_directory target)
    add_dependencies(${target} corbelet corbelet_audiolib corbelet_previewplugin corbelet_resources
        corbelet_skin corbelet_word_base)
endfunction()

# corbelet_needs_installed_tree(target): building `target` first builds all that
# `cmake --install` installs: the run directory and the files only the
# installed layout has (the shipped base, the icon, the manual pages...).
function(corbelet_needs_installed_tree target)
    corbelet_needs_run_directory(${target})
    add_dependencies(${target} corbelet_shipped_word_base corbelet_icons
        corbelet_packaging_files)
endfunction()
