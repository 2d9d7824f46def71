# Shared target settings: warnings, sanitizers and the version section that every executable
# carries so that the file version can be read back from the file itself.

set(TIVORA_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wold-style-cast -Wconversion
                     -Woverloaded-virtual -Wnon-virtual-dtor)
if(TIVORA_WERROR)
  list(APPEND TIVORA_WARNINGS -Werror)
endif()

function(tivora_target_defaults target)
  target_compile_options(${target} PRIVATE ${TIVORA_WARNINGS})
  if(TIVORA_SANITIZE)
    # Undefined behaviour stops the program at once, so that a test cannot pass over it.
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined
                                             -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined
                                          -fno-sanitize-recover=undefined)
  endif()
  if(TIVORA_TSAN)
    target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=thread)
  endif()
endfunction()

# One static library per source folder. Texts cross between std::string and QString only
# where the code says how (UTF-8, Latin-1): Qt's implicit conversions from and to const char*
# are off, but in the libraries marked ASCII_CASTS, whose DevTools and JSON code spells its
# protocol's names as plain literals.
# tivora_library(NAME [ASCII_CASTS] sources...)
function(tivora_library target)
  cmake_parse_arguments(L "ASCII_CASTS" "" "" ${ARGN})
  add_library(${target} STATIC ${L_UNPARSED_ARGUMENTS})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  if(NOT L_ASCII_CASTS)
    target_compile_definitions(${target} PRIVATE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)
  endif()
  tivora_target_defaults(${target})
endfunction()

# Every executable carries the program's file version (see src/platform/os/VersionSection.cpp).
function(tivora_executable target)
  add_executable(${target} ${ARGN})
  target_link_libraries(${target} PRIVATE tivora_version_section)
  tivora_target_defaults(${target})
endfunction()
