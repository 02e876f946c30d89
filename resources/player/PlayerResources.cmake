# add_player_resources(<target>): Lumivo's resources, the drawn ones (the toolkit's sets and the
# player's, resources/player/player_tables.py) and the hand-written script player.rc.
include_guard(GLOBAL)
set(PLAYER_RESOURCE_DIR "${CMAKE_CURRENT_LIST_DIR}")

function(add_player_resources target)
  add_generated_resources(${target} SETS toolkit toolkit-lists player)
  target_sources(${target} PRIVATE "${PLAYER_RESOURCE_DIR}/player.rc")
endfunction()
