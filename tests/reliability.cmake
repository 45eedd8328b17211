# Saving under faults and reading hostile files, each through the child
# program config_probe. They rely on signals, resource limits and symbolic
# links, so they run on Unix only.
if(UNIX)
  add_executable(config_probe ${CMAKE_CURRENT_SOURCE_DIR}/config_probe.cpp)
  target_link_libraries(config_probe PRIVATE mirelva_config mirelva_warnings)

  mirelva_add_test(tst_save_faults
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_save_faults.cpp
    LIBRARIES Qt6::Core
    TIMEOUT 240)
  mirelva_add_test(tst_hostile_input
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_hostile_input.cpp
    LIBRARIES Qt6::Core
    TIMEOUT 180)
  foreach(test tst_save_faults tst_hostile_input)
    target_compile_definitions(${test} PRIVATE CONFIG_PROBE="$<TARGET_FILE:config_probe>"
      $<$<BOOL:${MIRELVA_SANITIZE}>:MIRELVA_SANITIZED>)
    add_dependencies(${test} config_probe)
  endforeach()
endif()
