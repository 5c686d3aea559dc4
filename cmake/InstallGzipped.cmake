# Debian wants manual pages and changelogs compressed with gzip at its
# highest level, and without the name and time stamp gzip would store, so
# that two builds give the same bytes. The files compressed here are made at
# configure time, so their compressed copies are made then too.
find_program(VINTROP_GZIP gzip REQUIRED)

# Installs FILE, a file of the build tree, as FILE.gz into DESTINATION.
function(vintrop_install_gzipped file destination)
  execute_process(COMMAND ${VINTROP_GZIP} -9 -n -k -f ${file} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip could not compress ${file}: ${status}")
  endif()
  install(FILES ${file}.gz DESTINATION ${destination})
endfunction()
