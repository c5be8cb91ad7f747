# The fuzzing configuration: clang with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer,
# over the portable logic (platform seams and their in-memory fakes, discovery and the registry
# writers, folder validation) and the fuzz targets of tests/fuzz. Nothing else is built here.
#
# clang has no execution character set but UTF-8: -fexec-charset=GBK cannot be given. Every file
# compiled here is plain ASCII, so its objects are the same whatever that character set is; the
# check at the end refuses to configure as soon as one is not, rather than fuzz the program's
# texts in the wrong code page.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "TESSA_FUZZ needs clang: -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++")
endif()

# -O1 -g as libFuzzer advises; no NDEBUG, so assertions stay armed.
add_compile_options(-Wall -Wextra -O1 -g -fno-omit-frame-pointer
  -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all)
add_link_options(-fsanitize=address,undefined)
include_directories(${PROJECT_SOURCE_DIR})

add_subdirectory(platform)
add_subdirectory(acad)
add_subdirectory(picker)
add_subdirectory(tests/memory)
add_subdirectory(tests/fuzz)

# Every source of the libraries above and every project header they include, followed through.
function(tessa_require_ascii_sources)
  set(pending)
  foreach(target ${ARGN})
    get_target_property(dir ${target} SOURCE_DIR)
    get_target_property(sources ${target} SOURCES)
    foreach(src ${sources})
      get_filename_component(src ${src} ABSOLUTE BASE_DIR ${dir})
      list(APPEND pending ${src})
    endforeach()
  endforeach()
  set(seen)
  while(pending)
    list(POP_FRONT pending file)
    if(file IN_LIST seen OR NOT EXISTS ${file})
      continue()
    endif()
    list(APPEND seen ${file})
    file(READ ${file} text)
    # Any byte other than tab, line feed, carriage return and printable ASCII.
    if(text MATCHES "[^\t\n\r -~]")
      message(FATAL_ERROR "${file} has non-ASCII bytes, which clang would not compile as code page 936; "
                          "keep such texts out of the code the fuzz build compiles")
    endif()
    string(REGEX MATCHALL "#include \"[^\"]+\"" includes "${text}")
    foreach(inc ${includes})
      string(REGEX REPLACE "#include \"([^\"]+)\"" "\\1" inc "${inc}")
      get_filename_component(dir ${file} DIRECTORY)
      if(EXISTS ${PROJECT_SOURCE_DIR}/${inc})
        list(APPEND pending ${PROJECT_SOURCE_DIR}/${inc})
      elseif(EXISTS ${dir}/${inc})
        list(APPEND pending ${dir}/${inc})
      endif()
    endforeach()
  endwhile()
endfunction()

tessa_require_ascii_sources(tessa_platform tessa_platform_memory tessa_acad tessa_picker
                            ${TESSA_FUZZ_TARGETS} tessa_fuzz_support)
