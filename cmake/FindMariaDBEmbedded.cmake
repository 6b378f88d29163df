# FindMariaDBEmbedded: the embedded MariaDB server's development files (Debian:
# libmariadbd-dev), located through mariadb_config, the tool MariaDB installs
# with them.
#
#   MariaDB::EmbeddedHeaders  the server's own headers (not Connector/C's), for
#                             a program that loads libmariadbd itself
#   MariaDB::Embedded         the same, linked with libmariadbd
#
# EMBEDDED_LIBRARY comes with both: it keeps the client functions under their
# plain names.
find_program(MARIADB_CONFIG_EXECUTABLE NAMES mariadb_config)

if(MARIADB_CONFIG_EXECUTABLE)
    foreach(variable pkgincludedir pkglibdir)
        execute_process(COMMAND ${MARIADB_CONFIG_EXECUTABLE} --variable=${variable}
            OUTPUT_VARIABLE mariadb_${variable} OUTPUT_STRIP_TRAILING_WHITESPACE)
    endforeach()
    execute_process(COMMAND ${MARIADB_CONFIG_EXECUTABLE} --version
        OUTPUT_VARIABLE MariaDBEmbedded_VERSION OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()

find_path(MariaDBEmbedded_INCLUDE_DIR NAMES mysql.h
    HINTS ${mariadb_pkgincludedir}/server NO_DEFAULT_PATH)
find_library(MariaDBEmbedded_LIBRARY NAMES mariadbd HINTS ${mariadb_pkglibdir} NO_DEFAULT_PATH)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(MariaDBEmbedded
    REQUIRED_VARS MARIADB_CONFIG_EXECUTABLE MariaDBEmbedded_INCLUDE_DIR MariaDBEmbedded_LIBRARY
    VERSION_VAR MariaDBEmbedded_VERSION)

if(MariaDBEmbedded_FOUND AND NOT TARGET MariaDB::EmbeddedHeaders)
    add_library(MariaDB::EmbeddedHeaders INTERFACE IMPORTED)
    set_target_properties(MariaDB::EmbeddedHeaders PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES ${MariaDBEmbedded_INCLUDE_DIR}
        INTERFACE_COMPILE_DEFINITIONS EMBEDDED_LIBRARY)
    add_library(MariaDB::Embedded UNKNOWN IMPORTED)
    set_target_properties(MariaDB::Embedded PROPERTIES
        IMPORTED_LOCATION ${MariaDBEmbedded_LIBRARY}
        INTERFACE_LINK_LIBRARIES MariaDB::EmbeddedHeaders)
endif()
mark_as_advanced(MARIADB_CONFIG_EXECUTABLE MariaDBEmbedded_INCLUDE_DIR MariaDBEmbedded_LIBRARY)
