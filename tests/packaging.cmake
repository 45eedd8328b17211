# The product as people get it: the install layout, the desktop integration,
# the icon resources, and the stand-in emulator.
if(UNIX AND NOT APPLE)
  find_package(Qt6 REQUIRED COMPONENTS Gui)
  mirelva_add_test(tst_packaging SOURCES tst_packaging.cpp LIBRARIES Qt6::Gui TIMEOUT 300)
  target_compile_definitions(tst_packaging PRIVATE
    MIRELVA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    MIRELVA_BUILD_DIR="${CMAKE_BINARY_DIR}"
    MIRELVA_CMAKE_COMMAND="${CMAKE_COMMAND}")
  # It installs the build, so the launcher must have been built.
  add_dependencies(tst_packaging MirelvaLauncher)
endif()

if(TARGET mirelva_standin)
  mirelva_add_test(tst_standin_emulator SOURCES tst_standin_emulator.cpp LIBRARIES mirelva_standin)
endif()
