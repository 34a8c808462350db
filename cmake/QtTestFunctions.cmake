# Run after a Qt Test program is linked (cmake -D EXE=... -D OUT=... -P this file): lists its
# test functions, as `EXE -functions` names them, into OUT for the ctest file that registers
# each function as a test of its own. The environment comes from the caller (offscreen).
execute_process(COMMAND ${EXE} -functions
                OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE status
                TIMEOUT 60)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${EXE} -functions failed (${status}): ${errors}")
endif()
string(REGEX MATCHALL "[A-Za-z_][A-Za-z_0-9]*\\(\\)" calls "${listing}")
set(functions)
foreach(call IN LISTS calls)
  string(REPLACE "()" "" function "${call}")
  list(APPEND functions ${function})
endforeach()
if(NOT functions)
  message(FATAL_ERROR "${EXE} -functions named no test function")
endif()
file(WRITE ${OUT} "set(functions \"${functions}\")\n")
