# add_converter_resources(<target>): Ravento's resources, the drawn ones (the toolkit's set and the
# converter's, resources/converter/converter_tables.py) and the hand-written script converter.rc.
include_guard(GLOBAL)
set(CONVERTER_RESOURCE_DIR "${CMAKE_CURRENT_LIST_DIR}")

function(add_converter_resources target)
  add_generated_resources(${target} SETS toolkit converter)
  target_sources(${target} PRIVATE "${CONVERTER_RESOURCE_DIR}/converter.rc")
endfunction()
