# Each layer is one static library that links only the layers beneath it. A layer's headers are
# seen by the layers that link it and by nothing else: they are staged, as links to the sources,
# in an include folder of the layer's own, so an include that crosses a boundary the build does
# not declare fails to compile instead of working by accident.

set(DORSEL_STAGED_INCLUDES ${PROJECT_BINARY_DIR}/include)
# The C++ headers install under a folder of their own, so the include lines stay as in the tree
# ("data/recordset.h") without claiming top-level names in the system's include folder.
set(DORSEL_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/trave_dorsel)

# dorsel_layer(NAME DIR [RECURSE] [EXCLUDE subdir...]): a library from the sources of src/DIR
# (and its subfolders with RECURSE, less the EXCLUDEd ones), exported as dorsel::NAME.
function(dorsel_layer name dir)
  cmake_parse_arguments(PARSE_ARGV 2 arg "RECURSE" "" "EXCLUDE")
  set(root ${PROJECT_SOURCE_DIR}/src)
  if(arg_RECURSE)
    set(glob GLOB_RECURSE)
  else()
    set(glob GLOB)
  endif()
  file(${glob} sources CONFIGURE_DEPENDS ${root}/${dir}/*.cc)
  file(${glob} headers CONFIGURE_DEPENDS RELATIVE ${root} ${root}/${dir}/*.h)
  foreach(excluded ${arg_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "^${root}/${dir}/${excluded}/")
    list(FILTER headers EXCLUDE REGEX "^${dir}/${excluded}/")
  endforeach()

  add_library(${name} STATIC ${sources})
  add_library(dorsel::${name} ALIAS ${name})
  set_target_properties(${name} PROPERTIES OUTPUT_NAME dorsel_${name})
  target_link_libraries(${name} PRIVATE $<BUILD_INTERFACE:project_warnings>)

  set(staged ${DORSEL_STAGED_INCLUDES}/${name})
  file(REMOVE_RECURSE ${staged})
  foreach(header ${headers})
    get_filename_component(folder ${header} DIRECTORY)
    file(MAKE_DIRECTORY ${staged}/${folder})
    file(CREATE_LINK ${root}/${header} ${staged}/${header} SYMBOLIC)
    install(FILES ${root}/${header} DESTINATION ${DORSEL_INSTALL_INCLUDEDIR}/${folder})
  endforeach()
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${staged}>
                                            $<INSTALL_INTERFACE:${DORSEL_INSTALL_INCLUDEDIR}>)
  install(TARGETS ${name} EXPORT dorselTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
endfunction()
