#pragma once

class FrontPanel;
class ProgramServices;

// Replays, through the ordinary front-panel handlers, the start-up settings that the
// restore mask (settings line 28) selects from lines 30 to 39: time base, trigger, trace
// switches, couplings, volts/div and positions, in that order, each with its own command,
// save and redraw. A negative mask restores nothing; bits above 32 are ignored. A group
// whose saved value is out of its range is skipped; one whose line holds no number is
// reported and skipped, and the groups after it are still restored.
void RestoreStartupSettings(ProgramServices& services, FrontPanel& panel);
