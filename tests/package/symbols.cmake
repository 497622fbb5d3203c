# Fails unless the shared library's dynamic symbol table holds its API and nothing else: the
# component, the prompter seam and the unit-level functions. Internal classes stay hidden, so
# that hosts cannot come to depend on them and they can change without a new soname.
# -DLIBRARY=<path of the shared library>
find_program(NM nm REQUIRED)
execute_process(COMMAND ${NM} -DC --defined-only ${LIBRARY}
    OUTPUT_VARIABLE table RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REPLACE "\n" ";" lines "${table}")
set(api "^(typeinfo for |typeinfo name for |vtable for )?(TOrbTranslate|orb::Prompter|orb::QtPrompter|TLangDict)(::|$)")
set(functions "^(Translate|TranslateInstance|Register)\\(")
set(linker "^(_edata|_end|__bss_start|_init|_fini)$")
# Emitted by the compiler, not written by us: Qt's inline classes' type information where the
# sanitizers make it visible, and AddressSanitizer's markers of global definitions.
set(compiler "^(typeinfo for |typeinfo name for )Q[A-Za-z]+$|^__odr_asan")
set(stray)
set(count 0)
foreach(line IN LISTS lines)
    if(line STREQUAL "")
        continue()
    endif()
    string(REGEX REPLACE "^[0-9a-f]+ [A-Za-z] " "" name "${line}")
    math(EXPR count "${count} + 1")
    if(NOT name MATCHES "${api}" AND NOT name MATCHES "${functions}" AND NOT name MATCHES "${linker}"
       AND NOT name MATCHES "${compiler}")
        list(APPEND stray "${name}")
    endif()
endforeach()
if(count EQUAL 0)
    message(FATAL_ERROR "no symbols read from ${LIBRARY}")
endif()
if(stray)
    list(JOIN stray "\n  " shown)
    message(FATAL_ERROR "symbols outside the API are exported:\n  ${shown}")
endif()
message(STATUS "${count} exported symbols, all of the API")
