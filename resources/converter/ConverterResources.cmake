# add_converter_resources(<target>): Ravento's drawn resources, the toolkit's set and the
# converter's (resources/converter/converter_tables.py).
include_guard(GLOBAL)

function(add_converter_resources target)
  add_generated_resources(${target} SETS toolkit converter)
endfunction()
