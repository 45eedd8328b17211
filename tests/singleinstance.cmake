# The single-instance tests run real processes and send them signals.
if(UNIX)
  add_executable(singleinstance_probe singleinstance_probe.cpp)
  target_link_libraries(singleinstance_probe PRIVATE mirelva_singleinstance mirelva_warnings)

  mirelva_add_test(tst_singleinstance
    SOURCES tst_singleinstance.cpp
    LIBRARIES mirelva_singleinstance
    TIMEOUT 120)
  target_compile_definitions(tst_singleinstance PRIVATE
    SINGLEINSTANCE_PROBE="$<TARGET_FILE:singleinstance_probe>")
  add_dependencies(tst_singleinstance singleinstance_probe)
endif()
