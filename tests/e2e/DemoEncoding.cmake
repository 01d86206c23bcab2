# cmake -DSOURCE=<examples/demo> -DSTAGED=<build/examples/demo> -DICONV=<iconv> -P DemoEncoding.cmake
# Teachers copy the demo's sources as well as the package: each text file must read the same both
# ways. A source declares UTF-8 or nothing (it is stored in UTF-8); its packaged copy declares
# windows-1251 where the source declared a charset, and its bytes in Windows-1251 give the source's
# text.
function(declared_charsets text result)
  string(TOLOWER "${text}" lower)
  string(REGEX MATCHALL "charset *= *[\"']?[a-z0-9_:.-]+|@charset +[\"'][^\"']*" declarations "${lower}")
  set(charsets)
  foreach(declaration ${declarations})
    string(REGEX MATCH "[^\"' =]+$" charset "${declaration}")
    list(APPEND charsets "${charset}")
  endforeach()
  set(${result} "${charsets}" PARENT_SCOPE)
endfunction()

file(GLOB sources RELATIVE "${SOURCE}" "${SOURCE}/*.htm" "${SOURCE}/*.html" "${SOURCE}/*.css"
     "${SOURCE}/*.q" "${SOURCE}/*.lbw" "${SOURCE}/*.ini")
set(faults)
foreach(name ${sources})
  file(READ "${SOURCE}/${name}" source)
  declared_charsets("${source}" source_charsets)
  foreach(charset ${source_charsets})
    if(NOT charset MATCHES "^utf-?8$")
      string(APPEND faults "${name}: stored in UTF-8, declares ${charset}\n")
    endif()
  endforeach()

  execute_process(COMMAND "${ICONV}" -f WINDOWS-1251 -t UTF-8 "${STAGED}/${name}"
    OUTPUT_VARIABLE staged RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    string(APPEND faults "${name}: the packaged copy is missing or not Windows-1251\n")
    continue()
  endif()
  declared_charsets("${staged}" staged_charsets)
  list(TRANSFORM source_charsets REPLACE "^utf-?8$" "windows-1251")
  if(NOT staged_charsets STREQUAL source_charsets)
    string(APPEND faults "${name}: the packaged copy declares '${staged_charsets}'\n")
  endif()

  string(REPLACE "\r\n" "\n" staged "${staged}")
  string(REGEX REPLACE "([Cc][Hh][Aa][Rr][Ss][Ee][Tt] *= *[\"']?)windows-1251" "\\1" staged "${staged}")
  string(REGEX REPLACE "([Cc][Hh][Aa][Rr][Ss][Ee][Tt] *= *[\"']?)[Uu][Tt][Ff]-?8" "\\1" source "${source}")
  if(NOT staged STREQUAL source)
    string(APPEND faults "${name}: the packaged copy reads differently from the source\n")
  endif()
endforeach()

if(faults)
  message(FATAL_ERROR "The demo's sources and its package disagree:\n${faults}")
endif()
list(LENGTH sources count)
message(STATUS "${count} text files of the demo read the same in the sources and in the package")
