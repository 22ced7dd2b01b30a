# Settings every target of ours links to: language level, warnings, sanitizers.
add_library(zelvor_settings INTERFACE)
target_compile_features(zelvor_settings INTERFACE cxx_std_20)
target_compile_options(zelvor_settings INTERFACE -Wall -Wextra -Wpedantic -Wshadow
                                                 -Wnon-virtual-dtor -Wconversion -Wno-sign-conversion
                                                 -Wno-missing-field-initializers)
target_compile_definitions(zelvor_settings INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_FROM_BYTEARRAY QT_NO_CONTEXTLESS_CONNECT)
string(TOLOWER "${ZELVOR_SANITIZE}" zelvor_sanitize)
if(zelvor_sanitize STREQUAL "address" OR zelvor_sanitize STREQUAL "on")
  set(zelvor_sanitizers address,undefined)
elseif(zelvor_sanitize STREQUAL "thread")
  set(zelvor_sanitizers thread)
elseif(NOT zelvor_sanitize STREQUAL "off" AND NOT zelvor_sanitize STREQUAL "")
  message(FATAL_ERROR "ZELVOR_SANITIZE must be OFF, address (or ON) or thread, not ${ZELVOR_SANITIZE}")
endif()
if(zelvor_sanitizers)
  target_compile_options(zelvor_settings INTERFACE -fsanitize=${zelvor_sanitizers}
                                                   -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(zelvor_settings INTERFACE -fsanitize=${zelvor_sanitizers})
endif()
if(ZELVOR_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "ZELVOR_FUZZ needs clang: configure with CXX=clang++")
  endif()
  # Coverage feedback for libFuzzer from every library a target links, not just the target.
  target_compile_options(zelvor_settings INTERFACE -fsanitize=fuzzer-no-link)
endif()
