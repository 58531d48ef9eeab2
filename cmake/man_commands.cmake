# Writes a help2man include file with a COMMANDS section: the --help of each
# subcommand that PROGRAM's own --help lists.
#   cmake -DPROGRAM=... -DOUTPUT=... -P man_commands.cmake
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help failed (${status})")
endif()
string(REGEX MATCH "Subcommands:\n(([ ]+[a-z-]+[^\n]*\n)+)" listing "${help}")
string(REGEX MATCHALL "\n  ([a-z-]+)" names "\n${CMAKE_MATCH_1}")

set(text "[COMMANDS]\n")
foreach(name ${names})
  string(STRIP "${name}" name)
  execute_process(COMMAND ${PROGRAM} ${name} --help OUTPUT_VARIABLE command_help)
  # roff: a backslash is \e; a line may not begin with a control character.
  string(REPLACE "\\" "\\e" command_help "${command_help}")
  string(REGEX REPLACE "\n([.'])" "\n\\\\&\\1" command_help "\n${command_help}")
  string(APPEND text ".SS ${name}\n.nf${command_help}.fi\n")
endforeach()
file(WRITE ${OUTPUT} "${text}")
