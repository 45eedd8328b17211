mirelva_add_test(tst_signals SOURCES tst_signals.cpp LIBRARIES Qt6::Core)
target_compile_definitions(tst_signals PRIVATE MIRELVA_LAUNCHER="$<TARGET_FILE:MirelvaLauncher>")
add_dependencies(tst_signals MirelvaLauncher)
