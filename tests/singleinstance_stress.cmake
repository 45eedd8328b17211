# Many real processes at once, signals, misbehaving clients and, when run as
# root, a second user. Uses the probe from singleinstance.cmake, so it is
# included after that file.
if(UNIX)
  add_executable(singleinstance_stress_gate singleinstance_stress_gate.cpp)
  target_link_libraries(singleinstance_stress_gate PRIVATE mirelva_warnings)

  add_executable(singleinstance_stress_connect singleinstance_stress_connect.cpp)
  target_link_libraries(singleinstance_stress_connect PRIVATE Qt6::Network mirelva_warnings)

  mirelva_add_test(tst_singleinstance_stress
    SOURCES tst_singleinstance_stress.cpp
    LIBRARIES mirelva_singleinstance
    TIMEOUT 300)
  target_compile_definitions(tst_singleinstance_stress PRIVATE
    SINGLEINSTANCE_PROBE="$<TARGET_FILE:singleinstance_probe>"
    SINGLEINSTANCE_STRESS_GATE="$<TARGET_FILE:singleinstance_stress_gate>"
    SINGLEINSTANCE_STRESS_CONNECT="$<TARGET_FILE:singleinstance_stress_connect>"
    MIRELVA_LAUNCHER="$<TARGET_FILE:MirelvaLauncher>"
    $<$<BOOL:${MIRELVA_SANITIZE}>:MIRELVA_SANITIZED>)
  add_dependencies(tst_singleinstance_stress
    singleinstance_probe singleinstance_stress_gate singleinstance_stress_connect MirelvaLauncher)
endif()
