# Settings every target of ours links to: language level, warnings, sanitizers.
add_library(zelvor_settings INTERFACE)
target_compile_features(zelvor_settings INTERFACE cxx_std_20)
target_compile_options(zelvor_settings INTERFACE -Wall -Wextra -Wpedantic -Wshadow
                                                 -Wnon-virtual-dtor -Wconversion -Wno-sign-conversion
                                                 -Wno-missing-field-initializers)
target_compile_definitions(zelvor_settings INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_FROM_BYTEARRAY QT_NO_CONTEXTLESS_CONNECT)
if(ZELVOR_SANITIZE)
  target_compile_options(zelvor_settings INTERFACE -fsanitize=address,undefined
                                                   -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(zelvor_settings INTERFACE -fsanitize=address,undefined)
endif()
