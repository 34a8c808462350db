# Build conventions shared by every folder.
#
# A layer of the core is a folder with a library of its own and one test program named after
# the folder, labelled "core", the folder's name and the extra labels given.
#
# Test programs are gathered in two targets, so a sanitizer build makes only what its tests
# run: zentrip_tests (every test program and the programs the tests start) and
# zentrip_threaded_tests (those the thread sanitizer runs: all but the ones labelled
# "nothreads", which start no thread and say why beside the label).
add_custom_target(zentrip_tests)
add_custom_target(zentrip_threaded_tests)

# zentrip_add_layer(name [BELOW lib...] SOURCES s... [TESTS t...] [LABELS l...]): the static
# library zentrip_<name> of one layer of the core, which links only the layers below it
# (those they stand on come with them), and its tests as one program <name>_test.
function(zentrip_add_layer name)
  cmake_parse_arguments(ARG "" "" "BELOW;SOURCES;TESTS;LABELS" ${ARGN})
  add_library(zentrip_${name} STATIC ${ARG_SOURCES})
  target_include_directories(zentrip_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(zentrip_${name} PUBLIC ${ARG_BELOW} Threads::Threads)
  if(ARG_TESTS)
    zentrip_add_test(${name}_test LABELS core ${name} ${ARG_LABELS} SOURCES ${ARG_TESTS})
  endif()
endfunction()

# zentrip_gather_test(target labels): adds a test program to the aggregate targets above.
function(zentrip_gather_test target labels)
  add_dependencies(zentrip_tests ${target})
  if(NOT "nothreads" IN_LIST labels)
    add_dependencies(zentrip_threaded_tests ${target})
  endif()
endfunction()

# zentrip_add_test(name [LABELS l...] SOURCES s... [LIBS lib...])
# Every test links the simulator (sim/), whose in-process line is the tests' scripted line.
function(zentrip_add_test name)
  cmake_parse_arguments(ARG "" "" "LABELS;SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE zentrip_core zentrip_sim zentrip_testsupport GTest::gtest
                        GTest::gmock GTest::gtest_main ${ARG_LIBS})
  target_compile_definitions(${name} PRIVATE
    ZENTRIP_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    ZENTRIP_BINARY_DIR="${PROJECT_BINARY_DIR}")
  zentrip_gather_test(${name} "${ARG_LABELS}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30)
  # Labels are set after discovery: gtest_discover_tests keeps only the first label of a list.
  # A program a preset does not build stands as NAME_NOT_BUILT, labelled alike so the preset's
  # filter leaves it out too.
  set(labels_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
  file(WRITE ${labels_file}
    "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${ARG_LABELS}\")\n"
    "else()\n  set_tests_properties(${name}_NOT_BUILT PROPERTIES LABELS \"${ARG_LABELS}\")\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labels_file})
endfunction()

# zentrip_register_qtest(target [LABELS l...] [ENVIRONMENT NAME=value...]): a Qt Test program
# as one ctest entry per test function, named target.function, so each one's result and time
# show, and a QSKIP counts as skipped, not as passed. The functions are listed after each link.
function(zentrip_register_qtest target)
  cmake_parse_arguments(ARG "" "" "LABELS;ENVIRONMENT" ${ARGN})
  zentrip_gather_test(${target} "${ARG_LABELS}")
  set(functions_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_functions.cmake)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E env ${ARG_ENVIRONMENT}
            ${CMAKE_COMMAND} -D EXE=$<TARGET_FILE:${target}> -D OUT=${functions_file}
            -P ${PROJECT_SOURCE_DIR}/cmake/QtTestFunctions.cmake
    BYPRODUCTS ${functions_file}
    VERBATIM)
  set(ctest_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_tests.cmake)
  file(GENERATE OUTPUT ${ctest_file} CONTENT "\
if(EXISTS \"${functions_file}\")
  include(\"${functions_file}\")
  foreach(function IN LISTS functions)
    add_test(\"${target}.\${function}\" \"$<TARGET_FILE:${target}>\" \"\${function}\")
    set_tests_properties(\"${target}.\${function}\" PROPERTIES LABELS \"${ARG_LABELS}\"
      ENVIRONMENT \"${ARG_ENVIRONMENT}\" SKIP_REGULAR_EXPRESSION \"SKIP   : \")
  endforeach()
else()
  add_test(${target}_NOT_BUILT ${target}_NOT_BUILT)
  set_tests_properties(${target}_NOT_BUILT PROPERTIES LABELS \"${ARG_LABELS}\")
endif()
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${ctest_file})
endfunction()

# zentrip_render_svg(list svg png width height): renders resources/<svg> to <png> in this
# folder's build directory at width x height pixels and appends the PNG's path to <list>.
# The artwork is kept as SVG only; the pixels are made by each build.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
function(zentrip_render_svg list svg png width height)
  set(source ${PROJECT_SOURCE_DIR}/resources/${svg})
  set(output ${CMAKE_CURRENT_BINARY_DIR}/art/${png})
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/art
    COMMAND ${RSVG_CONVERT} --width ${width} --height ${height} --output ${output} ${source}
    DEPENDS ${source}
    COMMENT "Rendering ${png}"
    VERBATIM)
  set(${list} ${${list}} ${output} PARENT_SCOPE)
endfunction()
