# add_player_resources(<target>): Lumivo's resources, the drawn ones (the toolkit's sets and the
# player's, resources/player/player_tables.py), the hand-written script player.rc and the toolkit's
# update dialogs.
include_guard(GLOBAL)

function(add_player_resources target)
  add_generated_resources(${target} SETS toolkit toolkit-lists player)
  target_sources(${target} PRIVATE "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/player.rc" "${CMAKE_SOURCE_DIR}/toolkit/UpdateDialogs.rc")
endfunction()
