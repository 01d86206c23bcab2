# Run by cmake --install after the files are in place. The desktop knows a MIME type and the
# program that opens it only from the caches that update-mime-database and update-desktop-database
# write; a Debian package has dpkg's triggers run them. Installed straight into a folder the desktop
# reads ($XDG_DATA_DIRS, by default /usr/local/share and /usr/share, or $XDG_DATA_HOME), we run them
# here; staged (DESTDIR, as packaging does) or elsewhere, we say what to run.
set(data_dir "${CMAKE_INSTALL_PREFIX}/${KELVO_DATADIR}")
if(DEFINED ENV{XDG_DATA_DIRS} AND NOT "$ENV{XDG_DATA_DIRS}" STREQUAL "")
  string(REPLACE ":" ";" desktop_dirs "$ENV{XDG_DATA_DIRS}")
else()
  set(desktop_dirs /usr/local/share /usr/share)
endif()
if(DEFINED ENV{XDG_DATA_HOME} AND NOT "$ENV{XDG_DATA_HOME}" STREQUAL "")
  list(APPEND desktop_dirs "$ENV{XDG_DATA_HOME}")
elseif(DEFINED ENV{HOME})
  list(APPEND desktop_dirs "$ENV{HOME}/.local/share")
endif()

set(read_by_desktop FALSE)
file(REAL_PATH "${data_dir}" data_dir_real)
foreach(dir ${desktop_dirs})
  if(EXISTS "${dir}")
    file(REAL_PATH "${dir}" dir_real)
    if(dir_real STREQUAL data_dir_real)
      set(read_by_desktop TRUE)
    endif()
  endif()
endforeach()

if(NOT "$ENV{DESTDIR}" STREQUAL "" OR NOT read_by_desktop)
  if("$ENV{DESTDIR}" STREQUAL "")
    message(STATUS "${data_dir} is not among the folders the desktop reads: for .lwz packages to open "
                   "by double click, add it to XDG_DATA_DIRS and run update-mime-database ${data_dir}/mime "
                   "and update-desktop-database ${data_dir}/applications")
  endif()
  return()
endif()

function(refresh program)
  string(JOIN " " command ${program} ${ARGN})
  find_program(tool ${program} NO_CACHE)
  if(NOT tool)
    message(STATUS "Not found: ${program}; run ${command} once it is installed")
    return()
  endif()
  message(STATUS "Refreshing: ${command}")
  execute_process(COMMAND ${tool} ${ARGN} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(WARNING "${command} failed (${status})")
  endif()
endfunction()

refresh(update-mime-database "${data_dir}/mime")
refresh(update-desktop-database -q "${data_dir}/applications")
# An icon cache that exists must list the new icons; none is made where there was none.
if(EXISTS "${data_dir}/icons/hicolor/icon-theme.cache")
  refresh(gtk-update-icon-cache -q -t -f "${data_dir}/icons/hicolor")
endif()
