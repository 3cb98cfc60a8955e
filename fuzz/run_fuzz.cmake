# Runs one fuzz target: cmake -DFUZZER=<binary> -DSEEDS=<seed corpus>
# -DWORK=<scratch directory> -P run_fuzz.cmake
#
# The target runs for $FUZZ_SECONDS seconds (default 60; 0 runs the seeds
# only) on a fresh copy of the seeds, so the committed corpus is never written.
# A finding fails the run; its input is kept in <WORK>/findings.
set(seconds 60)
if(NOT "$ENV{FUZZ_SECONDS}" STREQUAL "")
  set(seconds "$ENV{FUZZ_SECONDS}")
endif()
if(NOT seconds MATCHES "^[0-9]+$")
  message(FATAL_ERROR "FUZZ_SECONDS must be a whole number of seconds, not \"${seconds}\"")
endif()
if(seconds EQUAL 0)
  set(duration -runs=0)
else()
  set(duration -max_total_time=${seconds})
endif()

file(REMOVE_RECURSE "${WORK}/corpus")
file(MAKE_DIRECTORY "${WORK}/corpus" "${WORK}/findings")
file(GLOB seeds "${SEEDS}/*")
if(NOT seeds)
  message(FATAL_ERROR "no seeds in ${SEEDS}")
endif()
file(COPY ${seeds} DESTINATION "${WORK}/corpus")

# -timeout: an input that takes this long is a hang, and a finding too.
execute_process(
  COMMAND "${FUZZER}" ${duration} -timeout=10 -print_final_stats=1
          "-artifact_prefix=${WORK}/findings/" "${WORK}/corpus"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} found a fault (exit ${result}); the input is in ${WORK}/findings")
endif()
