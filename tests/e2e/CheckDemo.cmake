# cmake -DKELVO=<program> -DPACKAGE=<demo.lwz> -P CheckDemo.cmake
# Teachers start their own lab works from the demo: the lab work checker must find nothing in it.
execute_process(COMMAND "${KELVO}" --check "${PACKAGE}" --json
  OUTPUT_VARIABLE report
  ERROR_VARIABLE messages
  RESULT_VARIABLE status)
string(JSON findings ERROR_VARIABLE not_json LENGTH "${report}" findings)
if(NOT status EQUAL 0 OR not_json OR NOT findings EQUAL 0)
  execute_process(COMMAND "${KELVO}" --check "${PACKAGE}" OUTPUT_VARIABLE readable ERROR_QUIET)
  message(FATAL_ERROR "The checker finds fault with the demo (exit ${status}):\n${readable}${messages}")
endif()
message(STATUS "The checker finds nothing in ${PACKAGE}")
