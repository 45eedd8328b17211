# A child program that builds the launcher's window in a process of its own,
# and a stand-in emulator that records how it was started.
add_executable(loadsequence_child ${CMAKE_CURRENT_SOURCE_DIR}/loadsequence_child.cpp)
target_link_libraries(loadsequence_child PRIVATE mirelva_ui mirelva_warnings)
add_executable(recording_emulator ${CMAKE_CURRENT_SOURCE_DIR}/recording_emulator.cpp)
target_link_libraries(recording_emulator PRIVATE mirelva_warnings)

foreach(test tst_loadsequence tst_launch)
  mirelva_add_test(${test} SOURCES ${test}.cpp LauncherRun.h LIBRARIES Qt6::Core)
  target_compile_definitions(${test} PRIVATE
    LOADSEQUENCE_CHILD="$<TARGET_FILE:loadsequence_child>"
    RECORDING_EMULATOR="$<TARGET_FILE:recording_emulator>")
  add_dependencies(${test} loadsequence_child recording_emulator)
endforeach()

mirelva_add_test(tst_mainwindow SOURCES tst_mainwindow.cpp ModalAnswers.h LIBRARIES mirelva_ui)
mirelva_add_test(tst_adddlg SOURCES tst_adddlg.cpp LIBRARIES mirelva_ui)
