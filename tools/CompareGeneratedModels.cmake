# Runs the model generator into OUTPUT and compares every file it wrote with the one of the
# same name in EXPECTED.
file(REMOVE_RECURSE ${OUTPUT})
file(MAKE_DIRECTORY ${OUTPUT})
execute_process(COMMAND ${GENERATOR} ${OUTPUT} RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the model generator failed (${result})")
endif()
file(GLOB generated RELATIVE ${OUTPUT} ${OUTPUT}/*)
if(NOT generated)
  message(FATAL_ERROR "the model generator wrote no model")
endif()
foreach(name ${generated})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT}/${name} ${EXPECTED}/${name}
                  RESULT_VARIABLE different)
  if(NOT different EQUAL 0)
    message(FATAL_ERROR "Data/Models/${name} differs from the generator's output: regenerate it")
  endif()
endforeach()
