# add_converter_resources(<target>): Ravento's resources, the drawn ones (the toolkit's set and the
# converter's, resources/converter/converter_tables.py), the hand-written script converter.rc and
# the toolkit's update dialogs.
include_guard(GLOBAL)

function(add_converter_resources target)
  add_generated_resources(${target} SETS toolkit converter)
  target_sources(${target} PRIVATE "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/converter.rc"
    "${CMAKE_SOURCE_DIR}/toolkit/UpdateDialogs.rc")
endfunction()
