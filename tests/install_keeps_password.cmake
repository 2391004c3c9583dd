# Installs the program twice into a scratch prefix: the first install lays
# down the delivered password store, the second must leave a changed one alone.
# The build-time tool keeps an existing store in the same way.
file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/Programma con spazi")

function(install_once)
  execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed:\n${out}")
  endif()
endfunction()

install_once()
set(store "${prefix}/unins000.dll")
foreach(f "${store}" "${prefix}/Guida.pdf")
  if(NOT EXISTS "${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
file(READ "${store}" delivered)
if(NOT delivered MATCHES "\\[Accesso\\]" OR NOT delivered MATCHES "Valore=0C739FCD1A8B59041D8B5635A17E")
  message(FATAL_ERROR "delivered store does not hold the initial password:\n${delivered}")
endif()

# The user changes the password, then the program is reinstalled.
set(changed "[Accesso]\nValore=1B\n")
file(WRITE "${store}" "${changed}")
install_once()
file(READ "${store}" after)
if(NOT after STREQUAL changed)
  message(FATAL_ERROR "reinstalling reset the password store:\n${after}")
endif()

# Removed, it comes back on the next install.
file(REMOVE "${store}")
install_once()
file(READ "${store}" restored)
if(NOT restored STREQUAL delivered)
  message(FATAL_ERROR "a missing store was not installed again")
endif()

# The tool that fills the build tree's program folder: only when missing.
set(own "${WORK_DIR}/own.dll")
file(WRITE "${own}" "${changed}")
execute_process(COMMAND "${STORE_TOOL}" --if-missing "${own}" RESULT_VARIABLE rc)
file(READ "${own}" kept)
if(NOT rc EQUAL 0 OR NOT kept STREQUAL changed)
  message(FATAL_ERROR "make_password_store --if-missing replaced an existing store")
endif()
file(REMOVE "${own}")
execute_process(COMMAND "${STORE_TOOL}" --if-missing "${own}" RESULT_VARIABLE rc)
file(READ "${own}" fresh)
if(NOT rc EQUAL 0 OR NOT fresh STREQUAL delivered)
  message(FATAL_ERROR "make_password_store --if-missing did not write a missing store")
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
