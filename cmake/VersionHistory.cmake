# The program's version history, oldest first: the about box lists these
# rows, the AppStream metadata publishes them as its releases and the
# package carries them as its changelog. One row a version,
# "VERSION|DD/MM/YYYY|NOTE" (the note may be empty). The newest row is the
# version project() declares: a new version adds its row here.
set(VINTROP_VERSION_HISTORY
    "1.0.0|20/11/2000|Prima versione"
    "2.0.0|23/11/2000|Gestiti urti non centrali"
    "2.1.0|25/11/2000|Nuova interfaccia"
    "2.1.1|06/12/2000|"
    "2.2.0|31/01/2001|Opzioni visualizza vettori e/o numeri Bowl")

# Splits ROW into <prefix>_VERSION, <prefix>_DATE (as written, DD/MM/YYYY),
# <prefix>_ISO_DATE (YYYY-MM-DD) and <prefix>_NOTE; stops configuring on a
# row that does not have that form.
function(vintrop_history_row row prefix)
  if(NOT row MATCHES "^([0-9]+\\.[0-9]+\\.[0-9]+)\\|(([0-3][0-9])/([01][0-9])/([0-9][0-9][0-9][0-9]))\\|([^|]*)$")
    message(FATAL_ERROR "Version history row \"${row}\" is not \"VERSION|DD/MM/YYYY|NOTE\"")
  endif()
  set(${prefix}_VERSION "${CMAKE_MATCH_1}" PARENT_SCOPE)
  set(${prefix}_DATE "${CMAKE_MATCH_2}" PARENT_SCOPE)
  set(${prefix}_ISO_DATE "${CMAKE_MATCH_5}-${CMAKE_MATCH_4}-${CMAKE_MATCH_3}" PARENT_SCOPE)
  set(${prefix}_NOTE "${CMAKE_MATCH_6}" PARENT_SCOPE)
endfunction()

# The rows as C++ aggregate initialisers {"version", "date", "note"}, one a
# line, for the generated version header.
function(vintrop_history_cxx out)
  set(text "")
  foreach(row IN LISTS VINTROP_VERSION_HISTORY)
    vintrop_history_row("${row}" r)
    string(REPLACE "\\" "\\\\" note "${r_NOTE}")
    string(REPLACE "\"" "\\\"" note "${note}")
    string(APPEND text "    {\"${r_VERSION}\", \"${r_DATE}\", \"${note}\"},\n")
  endforeach()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The rows as AppStream <release> elements, newest first as AppStream wants
# them; a note becomes the release's description.
function(vintrop_history_appstream out indent)
  set(text "")
  foreach(row IN LISTS VINTROP_VERSION_HISTORY)
    vintrop_history_row("${row}" r)
    set(release "${indent}<release version=\"${r_VERSION}\" date=\"${r_ISO_DATE}\"")
    if(r_NOTE STREQUAL "")
      string(APPEND release "/>\n")
    else()
      string(REPLACE "&" "&amp;" note "${r_NOTE}")
      string(REPLACE "<" "&lt;" note "${note}")
      string(REPLACE ">" "&gt;" note "${note}")
      string(APPEND release ">\n${indent}  <description>\n${indent}    <p>${note}</p>\n"
             "${indent}  </description>\n${indent}</release>\n")
    endif()
    string(PREPEND text "${release}")
  endforeach()
  string(REGEX REPLACE "\n$" "" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The rows as a Debian changelog, newest first, each entry signed by
# `maintainer` ("Name <address>") at midnight UTC of the row's date; a note
# is the entry's one change.
function(vintrop_history_debian_changelog out maintainer)
  set(weekdays Sun Mon Tue Wed Thu Fri Sat)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  set(month_offsets 0 3 2 5 0 3 5 1 4 6 2 4)   # Sakamoto's day of the week
  set(text "")
  foreach(row IN LISTS VINTROP_VERSION_HISTORY)
    vintrop_history_row("${row}" r)
    string(REGEX MATCHALL "[0-9]+" ymd "${r_ISO_DATE}")
    list(GET ymd 0 year)
    list(GET ymd 1 month)
    list(GET ymd 2 day)
    math(EXPR index "${month} - 1")
    list(GET months ${index} month_name)
    list(GET month_offsets ${index} offset)
    set(shown_year ${year})
    if(month LESS 3)
      math(EXPR year "${year} - 1")
    endif()
    math(EXPR weekday "(${year} + ${year} / 4 - ${year} / 100 + ${year} / 400 + ${offset} + ${day}) % 7")
    list(GET weekdays ${weekday} weekday_name)
    set(change "${r_NOTE}")
    if(change STREQUAL "")
      set(change "Version ${r_VERSION}.")
    endif()
    string(PREPEND text "vintrop (${r_VERSION}) unstable; urgency=medium\n\n  * ${change}\n\n"
           " -- ${maintainer}  ${weekday_name}, ${day} ${month_name} ${shown_year} 00:00:00 +0000\n\n")
  endforeach()
  string(REGEX REPLACE "\n\n$" "\n" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

list(GET VINTROP_VERSION_HISTORY -1 _vintrop_newest)
vintrop_history_row("${_vintrop_newest}" _vintrop_newest)
if(NOT _vintrop_newest_VERSION STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "The version history in ${CMAKE_CURRENT_LIST_FILE} ends on ${_vintrop_newest_VERSION}, "
                      "but the project's version is ${PROJECT_VERSION}: add a row for ${PROJECT_VERSION}")
endif()
