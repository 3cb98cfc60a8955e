# Re-runs tools/gen_lower_tables.py and compares its output with the committed
# src/console/lower_tables.cpp byte for byte. Needs python3 and the Unicode data
# files (Debian's unicode-data); fails, never skips, when they are missing.
#
# cmake -DPYTHON=<python3, or empty to search> -DGENERATOR=<script>
#       -DCOMMITTED=<lower_tables.cpp> -DOUTPUT=<scratch file>
#       [-DUNICODE_DATA=<file>] [-DDERIVED_AGE=<file>] -P lower_tables_check.cmake

foreach(var GENERATOR COMMITTED OUTPUT)
  if(NOT ${var})
    message(FATAL_ERROR "lower_tables_check: ${var} is not set")
  endif()
endforeach()
if(NOT UNICODE_DATA)
  set(UNICODE_DATA /usr/share/unicode/UnicodeData.txt)
endif()
if(NOT DERIVED_AGE)
  set(DERIVED_AGE /usr/share/unicode/DerivedAge.txt)
endif()

if(NOT PYTHON)
  find_program(python_on_path NAMES python3)
  set(PYTHON "${python_on_path}")
endif()
if(NOT PYTHON)
  message(FATAL_ERROR "lower_tables_check: python3 not found; install it (apt-get install python3)")
endif()
foreach(input ${UNICODE_DATA} ${DERIVED_AGE})
  if(NOT EXISTS "${input}")
    message(FATAL_ERROR
            "lower_tables_check: ${input} not found; install it (apt-get install unicode-data)")
  endif()
endforeach()

file(REMOVE "${OUTPUT}")
execute_process(
  COMMAND "${PYTHON}" "${GENERATOR}" --unicode-data "${UNICODE_DATA}"
          --derived-age "${DERIVED_AGE}" -o "${OUTPUT}"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "lower_tables_check: ${GENERATOR} failed: ${status}")
endif()

execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${OUTPUT}" "${COMMITTED}"
                RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  message(FATAL_ERROR "lower_tables_check: ${COMMITTED} differs from the generator's output "
                      "${OUTPUT}; re-run ${GENERATOR} -o ${COMMITTED}")
endif()
message(STATUS "lower_tables_check: ${COMMITTED} is reproduced byte for byte")
