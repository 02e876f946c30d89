// The process-wide window pointers of the player.
#include "player/PlayerWindows.h"

CPlayerWindows& GetPlayerWindows()
{
    static CPlayerWindows windows;
    return windows;
}
