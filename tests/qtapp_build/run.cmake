# examples/qtapp copied, harvested by orb-lng as the README tells (every C++ literal with a
# letter offered, every question answered yes), then built: what the harvest wrote must compile,
# in a build without QT_DEBUG, as a release is.
file(REMOVE_RECURSE ${WORK_DIR})
file(COPY ${QTAPP_DIR}/ DESTINATION ${WORK_DIR}/qtapp)

function(run_step)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "step failed: ${ARGN}\n${out}\n${err}")
    endif()
endfunction()

run_step(${ORB_LNG} harvest ${WORK_DIR}/qtapp --language "English(en)" --dictionary ${WORK_DIR}/qtapp/notes.lng
         --offer letters --answer yes)
# A harvest that rewrote nothing would prove nothing.
file(READ ${WORK_DIR}/qtapp/SettingsDialog.cpp dialog)
if(NOT dialog MATCHES "Translate\\(")
    message(FATAL_ERROR "the harvest rewrote no literal of SettingsDialog.cpp")
endif()

set(sanitizer_flags)
if(SANITIZE)
    set(sanitizer_flags -DCMAKE_CXX_FLAGS=-fsanitize=address,undefined -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined)
endif()
run_step(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build -DCMAKE_BUILD_TYPE=Release
         -DQTAPP_DIR=${WORK_DIR}/qtapp -DORB_LIBRARY=${ORB_LIBRARY} -DORB_HEADERS=${ORB_HEADERS}
         -DORB_EXPORT_HEADER_DIR=${ORB_EXPORT_HEADER_DIR} ${sanitizer_flags})
run_step(${CMAKE_COMMAND} --build ${WORK_DIR}/build -j 2)
