# Fails when a layer includes a higher one, or a project header without its folder. The layers
# and their order are read from docs/ARCHITECTURE.md, the line "Layers, lowest first: a, b, ...":
# a file may include headers of its own layer and of those before it, and names every
# project header with its folder ("dictionary/DictTable.h"), so that an include line shows
# which layer it reaches into. Left alone: generated headers (ui_*.h, the export header) and
# the installed public headers of the component, which include each other by name.
# -DSOURCE_DIR=<the project's root>
cmake_policy(SET CMP0057 NEW) # IN_LIST
file(READ ${SOURCE_DIR}/docs/ARCHITECTURE.md architecture)
if(NOT architecture MATCHES "Layers, lowest first: ([a-z, ]+)")
    message(FATAL_ERROR "docs/ARCHITECTURE.md names no layers (\"Layers, lowest first: ...\")")
endif()
string(REPLACE " " "" order "${CMAKE_MATCH_1}")
string(REPLACE "," ";" layers "${order}")
set(public OrbTranslate.h LangDict.h Prompter.h)

set(faults)
foreach(layer IN LISTS layers)
    list(FIND layers ${layer} rank)
    file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
    foreach(source IN LISTS sources)
        file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"")
        get_filename_component(name ${source} NAME)
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([^\"]+)\".*" "\\1" included "${line}")
            if(included MATCHES "^([^/]+)/")
                list(FIND layers ${CMAKE_MATCH_1} includedRank)
                if(includedRank GREATER rank)
                    list(APPEND faults "${source}: ${included} is of a higher layer")
                elseif(includedRank LESS 0)
                    list(APPEND faults "${source}: ${included} is of no layer")
                endif()
            elseif(NOT included MATCHES "^ui_|_export\\.h$|\\.moc$"
                   AND NOT (layer STREQUAL "component" AND name IN_LIST public AND included IN_LIST public))
                list(APPEND faults "${source}: ${included} without its folder")
            endif()
        endforeach()
    endforeach()
endforeach()
if(faults)
    list(JOIN faults "\n  " shown)
    message(FATAL_ERROR "includes across the layers (${order}):\n  ${shown}")
endif()
message(STATUS "every include keeps to the layers ${order}")
