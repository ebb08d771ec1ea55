# zarvik_install_by_rename(DESTINATION DIR [PROGRAM] [OPTIONAL] FILES FILE...)
#
# Installs each FILE into DIR (relative to the prefix) as a copy under a temporary name in DIR
# that is then renamed over the old file. A running Zarvik keeps the program and its
# dictionary open (mapped); a rename leaves the old file whole for it, and a Zarvik started
# during the update finds either the old file or the new one, never a half-written one.
# (CMake's own install unlinks the old file and writes a new one in its place: safe for the
# running program, but a start in between finds the file missing or short.)
# PROGRAM: executable permissions, stripped when the install strips (cmake --install --strip,
# CPack). OPTIONAL: a FILE that does not exist at install time is skipped. FILE may be a
# generator expression such as $<TARGET_FILE:zarvik>.
set(ZARVIK_INSTALL_BY_RENAME_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/InstallByRename.cmake)

function(zarvik_install_by_rename)
    cmake_parse_arguments(A "PROGRAM;OPTIONAL" "DESTINATION" "FILES" ${ARGN})
    if(NOT A_DESTINATION OR NOT A_FILES)
        message(FATAL_ERROR "zarvik_install_by_rename: DESTINATION and FILES are required")
    endif()
    set(program 0)
    set(optional 0)
    if(A_PROGRAM)
        set(program 1)
    endif()
    if(A_OPTIONAL)
        set(optional 1)
    endif()
    foreach(file IN LISTS A_FILES)
        install(CODE "include(\"${ZARVIK_INSTALL_BY_RENAME_SCRIPT}\")
zarvik_put_by_rename(\"${file}\" \"${A_DESTINATION}\" ${program} ${optional} \"${CMAKE_STRIP}\")")
    endforeach()
endfunction()
