# MIRELVA_SANITIZE builds every target of ours with AddressSanitizer (leaks
# included) and UndefinedBehaviorSanitizer; any finding ends the program.
# Include it before the first add_subdirectory so that it reaches every target.
option(MIRELVA_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(NOT MIRELVA_SANITIZE)
  return()
endif()
if(MSVC)
  message(FATAL_ERROR "MIRELVA_SANITIZE needs gcc or clang")
endif()
if(TARGET mirelva_config)
  message(FATAL_ERROR "include Sanitizers.cmake before the targets are defined")
endif()

add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
add_link_options(-fsanitize=address,undefined)
