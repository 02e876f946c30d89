# add_generated_resources(<target> SETS <set>...): the generator draws the resources of the named
# sets (tables of resources/generator/make_resources.py) into the build tree at build time and the
# resource script naming them is compiled into the target, beside any .rc of its own.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(RESOURCE_GENERATOR_DIR "${CMAKE_CURRENT_LIST_DIR}")

function(add_generated_resources target)
  cmake_parse_arguments(G "" "" "SETS" ${ARGN})
  if(NOT G_SETS)
    message(FATAL_ERROR "add_generated_resources(${target}): no SETS given")
  endif()
  file(GLOB _scripts CONFIGURE_DEPENDS "${RESOURCE_GENERATOR_DIR}/*.py" "${RESOURCE_GENERATOR_DIR}/../*/*_tables.py"
    "${RESOURCE_GENERATOR_DIR}/../*/*_glyphs.py")
  set(_dir "${CMAKE_BINARY_DIR}/resources/${target}")
  set(_rc "${_dir}/${target}_generated.rc")
  # Rewritten only when the sets change, so another choice of sets draws the resources again.
  file(CONFIGURE OUTPUT "${_dir}/sets.txt" CONTENT "${G_SETS}\n")
  add_custom_command(OUTPUT "${_rc}"
    COMMAND Python3::Interpreter "${RESOURCE_GENERATOR_DIR}/make_resources.py" "${_dir}" "${_rc}" ${G_SETS}
    DEPENDS ${_scripts} "${_dir}/sets.txt"
    COMMENT "Drawing the resources of ${target} (${G_SETS})"
    VERBATIM)
  set_source_files_properties("${_rc}" PROPERTIES GENERATED TRUE)
  target_sources(${target} PRIVATE "${_rc}")
endfunction()
