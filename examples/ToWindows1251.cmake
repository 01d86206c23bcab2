# cmake -DINPUT=<UTF-8 text> -DOUTPUT=<file> -DICONV=<iconv> -P ToWindows1251.cmake
# Writes INPUT as a Windows author's file: CR LF line ends, Windows-1251, and a document's charset
# declaration (<meta ... charset=utf-8>, @charset "utf-8") saying so, so that bytes and declaration
# change together. A source that declares anything but UTF-8 stops the build: stored in UTF-8, it
# would show as mojibake wherever a teacher copies it. So does a character that Windows-1251 lacks
# (write it as an HTML entity in documents).
file(READ "${INPUT}" text)
string(REPLACE "\r\n" "\n" text "${text}")

# CMake's regular expressions know no case folding: look for the declarations in a lower-case copy.
string(TOLOWER "${text}" lower)
string(REGEX MATCHALL "charset *= *[\"']?[a-z0-9_:.-]+|@charset +[\"'][^\"']*" declarations "${lower}")
foreach(declaration ${declarations})
  string(REGEX MATCH "[^\"' =]+$" charset "${declaration}")
  if(NOT charset MATCHES "^utf-?8$")
    message(FATAL_ERROR "${INPUT}: stored in UTF-8 but declares charset ${charset}: declare utf-8 "
                        "(the build writes windows-1251 into the package)")
  endif()
endforeach()
string(REGEX REPLACE "([Cc][Hh][Aa][Rr][Ss][Ee][Tt] *= *[\"']?)[Uu][Tt][Ff]-?8" "\\1windows-1251" text "${text}")
string(REGEX REPLACE "(@[Cc][Hh][Aa][Rr][Ss][Ee][Tt] +[\"'])[Uu][Tt][Ff]-?8" "\\1windows-1251" text "${text}")

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
