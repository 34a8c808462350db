# Build conventions shared by every folder.
#
# A core module is a folder of zentrip_core: its *.cpp files go into the library, its
# *_test.cpp files into one test program named after the folder, labelled "core" so the
# sanitizer builds can pick the unit tests out.

function(zentrip_add_core_module module)
  set(dir ${CMAKE_CURRENT_SOURCE_DIR}/${module})
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  file(GLOB tests CONFIGURE_DEPENDS ${dir}/*_test.cpp)
  if(tests)
    list(REMOVE_ITEM sources ${tests})
  endif()
  if(sources)
    target_sources(zentrip_core PRIVATE ${sources})
  endif()
  if(tests)
    zentrip_add_test(${module}_test LABELS core ${module} SOURCES ${tests})
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
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30)
  # Labels are set after discovery: gtest_discover_tests keeps only the first label of a list.
  set(labels_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
  file(WRITE ${labels_file}
    "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${ARG_LABELS}\")\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labels_file})
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
