// The process-wide window pointers of the player.
#include "player/app/PlayerWindows.h"

CPlayerWindows& GetPlayerWindows()
{
    static CPlayerWindows windows;
    return windows;
}
