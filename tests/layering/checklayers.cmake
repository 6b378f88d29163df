# Fails when a folder of the project includes a header of a folder above it.
# Each folder has a level; a file may include headers of its own folder and of
# folders of a lower level only. Run with -DSOURCE_DIR=<source root>.
#
#   0 text          Windows-1252 tables
#   1 settingsfile  the INI reader/writer
#   1 rules         the game rules, widget-free
#   1 skin          the skin's glyphs
#   2 wordstore     the word base: catalogue, lock, store
#   3 layout        where the program's and the player's files are
#   4 sound         the sound player over the audio library
#   4 preview       the rules document's preview over its plug-in
#   5 config        the configuration window
#   6 game          the game window
#   6 wordtool      corbelet-mots
#   7 app           the program's start
#   7 tools         build-time programs
set(levels text 0 settingsfile 1 rules 1 skin 1 wordstore 2 layout 3 sound 4 preview 4
    config 5 game 6 wordtool 6 app 7 tools 7)

set(faults "")
list(LENGTH levels count)
math(EXPR last "${count} - 1")
foreach(index RANGE 0 ${last} 2)
    math(EXPR next "${index} + 1")
    list(GET levels ${index} folder)
    list(GET levels ${next} level)
    set(level_${folder} ${level})
endforeach()

foreach(index RANGE 0 ${last} 2)
    list(GET levels ${index} folder)
    file(GLOB_RECURSE sources ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
    foreach(source ${sources})
        file(STRINGS ${source} includes REGEX "^#include \"[^\"/]+/")
        foreach(line ${includes})
            string(REGEX REPLACE "^#include \"([^\"/]+)/.*" "\\1" target "${line}")
            if(target STREQUAL folder)
                continue()
            endif()
            file(RELATIVE_PATH shown ${SOURCE_DIR} ${source})
            if(NOT DEFINED level_${target})
                list(APPEND faults "${shown}: ${line} names a folder without a level")
            elseif(NOT level_${target} LESS level_${folder})
                string(CONCAT fault "${shown}: ${line} reaches up or across (${folder} is "
                    "level ${level_${folder}}, ${target} level ${level_${target}})")
                list(APPEND faults "${fault}")
            endif()
        endforeach()
    endforeach()
endforeach()

file(GLOB entries LIST_DIRECTORIES true RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*)
foreach(entry ${entries})
    if(IS_DIRECTORY ${SOURCE_DIR}/${entry} AND EXISTS ${SOURCE_DIR}/${entry}/CMakeLists.txt
       AND NOT entry MATCHES "^(tests|bench|res|packaging|data|docs|build.*)$"
       AND NOT DEFINED level_${entry})
        list(APPEND faults "${entry}/ has no level in tests/layering/checklayers.cmake")
    endif()
endforeach()

if(faults)
    list(JOIN faults "\n" text)
    message(FATAL_ERROR "${text}")
endif()
