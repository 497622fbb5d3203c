# Installs the built toolkit into a scratch prefix, then configures, builds and runs a
# consumer that finds it with find_package.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run_step)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "step failed: ${ARGN}\n${out}\n${err}")
    endif()
    set(last_output "${out}" PARENT_SCOPE)
endfunction()

run_step(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} --component Unspecified)

# The programs run from where they were installed, without a display, and the desktop's
# files are what the desktop's own validators accept.
run_step(${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY ${prefix}/bin/Translate --version)
if(NOT last_output MATCHES "^Translate [0-9]")
    message(FATAL_ERROR "Translate --version said: ${last_output}")
endif()
run_step(${prefix}/bin/orb-lng --help)
foreach(installed
        share/orb-translate/language.lng share/man/man1/orb-lng.1
        share/icons/hicolor/48x48/apps/org.varnok.Translate.png
        share/icons/hicolor/256x256/apps/org.varnok.Translate.png)
    if(NOT EXISTS ${prefix}/${installed})
        message(FATAL_ERROR "not installed: ${installed}")
    endif()
endforeach()
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
find_program(APPSTREAMCLI appstreamcli)
find_program(XMLLINT xmllint)
if(DESKTOP_FILE_VALIDATE)
    run_step(${DESKTOP_FILE_VALIDATE} ${prefix}/share/applications/org.varnok.Translate.desktop)
endif()
if(APPSTREAMCLI)
    run_step(${APPSTREAMCLI} validate --no-net ${prefix}/share/metainfo/org.varnok.Translate.metainfo.xml)
endif()
if(XMLLINT)
    run_step(${XMLLINT} --noout ${prefix}/share/mime/packages/org.varnok.Translate.mime.xml)
endif()
# A library built with the sanitizers needs their runtime loaded first, by the consumer.
set(consumer_flags)
if(SANITIZE)
    set(consumer_flags -DCMAKE_CXX_FLAGS=-fsanitize=address,undefined -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined)
endif()
run_step(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build -DCMAKE_PREFIX_PATH=${prefix} ${consumer_flags})
run_step(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run_step(${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${WORK_DIR}/build/consumer)
if(NOT last_output MATCHES "Datei")
    message(FATAL_ERROR "the consumer did not translate: ${last_output}")
endif()
message(STATUS "${last_output}")
