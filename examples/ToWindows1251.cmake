# cmake -DINPUT=<UTF-8 text> -DOUTPUT=<file> -DICONV=<iconv> -P ToWindows1251.cmake
# Writes INPUT as a Windows author's file: CR LF line ends, Windows-1251. A character that
# Windows-1251 lacks stops the build (write it as an HTML entity in documents).
file(READ "${INPUT}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
get_filename_component(folder "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${folder}")
file(WRITE "${OUTPUT}.utf8" "${text}")
execute_process(COMMAND "${ICONV}" -f UTF-8 -t WINDOWS-1251 "${OUTPUT}.utf8"
  OUTPUT_FILE "${OUTPUT}"
  RESULT_VARIABLE status
  ERROR_VARIABLE error)
file(REMOVE "${OUTPUT}.utf8")
if(NOT status EQUAL 0)
  file(REMOVE "${OUTPUT}")
  message(FATAL_ERROR "${INPUT}: cannot write it in Windows-1251: ${error}")
endif()
