# quelmo_make_tones(TARGET <target> DIR <dir> TONES <tone>...): builds MP3 tone fixtures into <dir>
# at build time, one file tone_<tone>.mp3 per tone (see make-tone.sh for the tone: "440_500" is a
# 440 Hz tone of 500 ms, 44.1 kHz stereo CBR with an Info header). <target> depends on all of them;
# make the tests that read them depend on it. Any test folder may include this file.
set(QUELMO_MAKE_TONE ${CMAKE_CURRENT_LIST_DIR}/make-tone.sh)

function(quelmo_make_tones)
    cmake_parse_arguments(ARG "" "TARGET;DIR" "TONES" ${ARGN})
    set(outputs)
    foreach(tone IN LISTS ARG_TONES)
        set(output ${ARG_DIR}/tone_${tone}.mp3)
        add_custom_command(OUTPUT ${output}
            COMMAND ${QUELMO_MAKE_TONE} ${ARG_DIR} ${tone}
            DEPENDS ${QUELMO_MAKE_TONE}
            COMMENT "Tone fixture tone_${tone}.mp3" VERBATIM)
        list(APPEND outputs ${output})
    endforeach()
    add_custom_target(${ARG_TARGET} DEPENDS ${outputs})
endfunction()
