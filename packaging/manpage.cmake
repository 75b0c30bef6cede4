# cmake -DHELP2MAN=... -DGZIP=... -DPROGRAM=path/to/program -DOUTPUT=dir/name.1
#       -DSUMMARY="what it is, for the NAME line"
#       -P manpage.cmake
# Writes the manual page of PROGRAM from its --help and --version with
# help2man, then compresses it to OUTPUT.gz. When the help lists commands
# ("Commands:" followed by indented "  name  summary" lines), each command
# gets a subsection with its own "PROGRAM COMMAND --help", so commands added
# later appear without touching this script.

get_filename_component(name "${PROGRAM}" NAME)
get_filename_component(dir "${PROGRAM}" DIRECTORY)
get_filename_component(out_dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${out_dir}")

# Run in the C locale, with the program found on PATH under its plain name
# so that usage lines built from argv[0] do not show the build directory.
set(ENV{LC_ALL} C)
# A sanitized build's programs must not fail on leak reports here.
set(ENV{ASAN_OPTIONS} detect_leaks=0)
set(ENV{PATH} "${dir}:$ENV{PATH}")

execute_process(COMMAND "${name}" --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${name} --help failed (${status})")
endif()

# Text of a help screen as roff that keeps its lines as they are.
function(as_roff text out)
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(include_file "${OUTPUT}.include")
set(extra "[SEE ALSO]\n")
if(name STREQUAL "quillmar-cli")
    string(APPEND extra ".BR quillmar (1),\n.BR quillmar-device (1)\n")
else()
    string(APPEND extra ".BR quillmar (1),\n.BR quillmar-cli (1)\n")
endif()

string(FIND "${help}" "\nCommands:\n" at)
if(at GREATER -1)
    math(EXPR at "${at} + 11")
    string(SUBSTRING "${help}" ${at} -1 rest)
    string(REGEX MATCH "^(  [^\n]*\n)+" listing "${rest}")
    string(REGEX MATCHALL "(^|\n)  [^ \n]+" commands "${listing}")
    set(section "[COMMANDS]\n")
    foreach(command IN LISTS commands)
        string(STRIP "${command}" command)
        execute_process(COMMAND "${name}" ${command} --help
                        OUTPUT_VARIABLE usage RESULT_VARIABLE status)
        if(NOT status EQUAL 0)
            message(FATAL_ERROR "${name} ${command} --help failed (${status})")
        endif()
        as_roff("${usage}" usage)
        string(APPEND section ".SS ${command}\n.nf\n${usage}.fi\n")
    endforeach()
    string(PREPEND extra "${section}")
endif()
file(WRITE "${include_file}" "${extra}")

execute_process(
    COMMAND "${HELP2MAN}" --no-info --no-discard-stderr --section=1 "--name=${SUMMARY}"
            --include=${include_file} --output=${OUTPUT} "${name}"
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "help2man failed for ${name} (${status})")
endif()
execute_process(COMMAND "${GZIP}" -9nf "${OUTPUT}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip failed for ${OUTPUT} (${status})")
endif()
