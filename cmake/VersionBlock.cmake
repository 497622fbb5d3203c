# orb_add_version_block(<target> [DESCRIPTION <text>] [NO_PRODUCT_VERSION])
#
# Builds a version block into an executable: the description, the file version, the product
# version and the names of the program, in the ".orb_version" section of the ELF file, where
# TVerInfoRes (about/VerInfo.h) reads them back from the file. The numbers are the top-level
# project's VERSION, so a release changes them in exactly one place.
#
# DESCRIPTION defaults to the product name. NO_PRODUCT_VERSION leaves the product version
# string out, for testing how a block without one is shown.
# The text as the body of a C string literal.
function(_orb_c_string out text)
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\\\"" text "${text}")
    set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

function(orb_add_version_block target)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "NO_PRODUCT_VERSION" "DESCRIPTION" "")
    set(product "${ORB_PRODUCT_NAME}")
    if(NOT DEFINED ARG_DESCRIPTION)
        set(ARG_DESCRIPTION "${product}")
    endif()

    # Four numbers always, whatever the project() line gives.
    set(numbers)
    foreach(part MAJOR MINOR PATCH TWEAK)
        set(n "${CMAKE_PROJECT_VERSION_${part}}")
        if(n STREQUAL "")
            set(n 0)
        endif()
        list(APPEND numbers ${n})
    endforeach()
    list(GET numbers 0 major)
    list(GET numbers 1 minor)
    list(GET numbers 2 patch)
    list(GET numbers 3 tweak)
    math(EXPR ORB_VB_FILE_MS "(${major} << 16) | ${minor}" OUTPUT_FORMAT HEXADECIMAL)
    math(EXPR ORB_VB_FILE_LS "(${patch} << 16) | ${tweak}" OUTPUT_FORMAT HEXADECIMAL)
    math(EXPR ORB_VB_PRODUCT_MS "(${major} << 16) | ${minor}" OUTPUT_FORMAT HEXADECIMAL)

    # Russian, code page 1251: the language the editor's own texts are written in.
    set(ORB_VB_LANGUAGE 0x0419)
    set(ORB_VB_CODEPAGE 0x04E3)
    set(table "041904E3")

    set(pairs
        FileDescription "${ARG_DESCRIPTION}"
        FileVersion "${major}.${minor}.${patch}.${tweak}"
        InternalName "${target}"
        OriginalFilename "${target}"
        ProductName "${product}")
    if(NOT ARG_NO_PRODUCT_VERSION)
        list(APPEND pairs ProductVersion "${major}.${minor}")
    endif()

    # One literal per piece: a "\0" glued to a following digit would become an octal escape.
    _orb_c_string(literal "${table}")
    set(ORB_VB_STRINGS "${literal} \"\\0\"")
    foreach(piece IN LISTS pairs)
        _orb_c_string(literal "${piece}")
        string(APPEND ORB_VB_STRINGS " \\\n    ${literal} \"\\0\"")
    endforeach()
    # An empty key ends the table; the literal's own terminator then ends the list of tables.
    string(APPEND ORB_VB_STRINGS " \"\\0\"")

    set(ORB_VB_TARGET ${target})
    set(generated ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_block.cpp)
    configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/VersionBlock.cpp.in ${generated} @ONLY)
    target_sources(${target} PRIVATE ${generated})
endfunction()
