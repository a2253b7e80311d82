# Included by ctest for a Qt Test program built anew (see lumetra_qtest in tests/app): asks PROGRAM
# for its test functions (-functions) and writes one ctest entry per function to OUTPUT, named
# "<SUITE>.<Function>" with the first letter raised, as the GoogleTest entries read. Each entry runs
# its function alone, without a display and with a silent sound sink.
set(platform "$ENV{QT_QPA_PLATFORM}")
set(ENV{QT_QPA_PLATFORM} offscreen)
execute_process(COMMAND ${PROGRAM} -functions OUTPUT_VARIABLE listed ERROR_VARIABLE errors
                RESULT_VARIABLE result TIMEOUT 60)
set(ENV{QT_QPA_PLATFORM} "${platform}")
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} -functions failed (${result}):\n${errors}")
endif()
string(REPLACE "\n" ";" lines "${listed}")
set(entries "")
foreach(line IN LISTS lines)
  if(NOT line MATCHES "^([A-Za-z_][A-Za-z0-9_]*)\\(\\)$")
    continue()
  endif()
  set(function ${CMAKE_MATCH_1})
  string(SUBSTRING ${function} 0 1 first)
  string(SUBSTRING ${function} 1 -1 rest)
  string(TOUPPER ${first} first)
  set(entry "${SUITE}.${first}${rest}")
  string(APPEND entries
    "add_test([=[${entry}]=] [=[${PROGRAM}]=] [=[${function}]=])\n"
    "set_tests_properties([=[${entry}]=] PROPERTIES TIMEOUT 180\n"
    "  ENVIRONMENT [=[QT_QPA_PLATFORM=offscreen;LUMETRA_AUDIO_SINK=fakesink]=])\n")
endforeach()
if(entries STREQUAL "")
  message(FATAL_ERROR "${PROGRAM} lists no test functions")
endif()
file(WRITE ${OUTPUT} "${entries}")
