# Warnings for the project's own targets (third-party code builds with its own flags).
function(pelmo_target_defaults target)
  target_compile_options(${target} PRIVATE ${PELMO_WARNINGS})
  # GCC 12 at -O3 reports string concatenation in the standard library as overlapping copies
  # (a known false positive of -Wrestrict); every other warning stays on.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()

# A folder's library: `name`, from the folder's platform-free sources, and the Win32 ones in the
# Windows builds; includes are written from the project's root ("wordlist/word_list.h").
function(pelmo_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;WIN32_SOURCES;LIBRARIES;WIN32_LIBRARIES" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  if(WIN32)
    target_sources(${name} PRIVATE ${ARG_WIN32_SOURCES})
    target_link_libraries(${name} PUBLIC ${ARG_WIN32_LIBRARIES})
  endif()
  target_link_libraries(${name} PUBLIC ${ARG_LIBRARIES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  pelmo_target_defaults(${name})
endfunction()

# The version resource of a Windows program: its file name, description and pelmo's version.
function(pelmo_version_resource target description)
  if(WIN32)
    set(PELMO_RC_NAME ${target})
    set(PELMO_RC_DESCRIPTION ${description})
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
    configure_file(${PROJECT_SOURCE_DIR}/resources/version.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
  endif()
endfunction()

# GoogleTest: Debian's library natively, Debian's sources for the Windows builds.
macro(pelmo_find_gtest)
  if(CMAKE_CROSSCOMPILING)
    if(NOT TARGET gtest)
      set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
      set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
      add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    endif()
  else()
    find_package(GTest REQUIRED)
  endif()
endmacro()

# Windows test programs run under Wine: they share a display and a persistent wineserver that
# a fixture starts before the first and stops after the last.
# Called once, from the top of the tests folder.
function(pelmo_wine_fixture)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME pelmo_wine_start COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-session start)
    add_test(NAME pelmo_wine_stop COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-session stop)
    set_tests_properties(pelmo_wine_start PROPERTIES FIXTURES_SETUP wine)
    set_tests_properties(pelmo_wine_stop PROPERTIES FIXTURES_CLEANUP wine)
  endif()
endfunction()

# One test executable per area, and one ctest entry per GoogleTest suite in it, so that a failure
# names what broke. Each entry runs in a folder of its own, emptied before it starts: suites run
# side by side and never share the files they write, and no run meets what another left. ENVIRONMENT is set for each entry; SCREEN marks programs that draw
# and read the shared display under Wine, which take turns.
function(pelmo_add_test name)
  cmake_parse_arguments(ARG "SCREEN" "" "SOURCES;LIBRARIES;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  pelmo_target_defaults(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  set(suites "")
  foreach(source IN LISTS ARG_SOURCES)
    get_filename_component(path ${source} ABSOLUTE)
    if(path MATCHES "\\.cpp$" AND EXISTS ${path})
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${path})
      file(STRINGS ${path} lines REGEX "^TEST(_F)?\\([A-Za-z0-9_]+,")
      foreach(line IN LISTS lines)
        string(REGEX REPLACE "^TEST(_F)?\\(([A-Za-z0-9_]+),.*" "\\2" suite "${line}")
        list(APPEND suites ${suite})
      endforeach()
    endif()
  endforeach()
  list(REMOVE_DUPLICATES suites)
  if(NOT suites)
    message(FATAL_ERROR "${name}: no TEST or TEST_F found in its sources")
  endif()
  foreach(suite IN LISTS suites)
    set(work ${CMAKE_CURRENT_BINARY_DIR}/work/${suite})
    file(MAKE_DIRECTORY ${work})
    add_test(NAME ${name}.${suite}
      COMMAND ${PROJECT_SOURCE_DIR}/scripts/run-gtest --in ${work} $<TARGET_FILE:${name}>
              --gtest_brief=1 --gtest_filter=${suite}.*)
    set_tests_properties(${name}.${suite} PROPERTIES WORKING_DIRECTORY ${work})
    if(ARG_ENVIRONMENT)
      set_tests_properties(${name}.${suite} PROPERTIES ENVIRONMENT "${ARG_ENVIRONMENT}")
    endif()
    if(CMAKE_CROSSCOMPILING)
      set_tests_properties(${name}.${suite} PROPERTIES FIXTURES_REQUIRED wine)
      if(ARG_SCREEN)
        set_tests_properties(${name}.${suite} PROPERTIES RESOURCE_LOCK screen)
      endif()
    endif()
  endforeach()
endfunction()
