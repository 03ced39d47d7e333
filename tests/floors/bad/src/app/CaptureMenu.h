#pragma once

// The main window may not build on the command-line capture, though it stands on a lower
// floor: the capture is an executable of its own.
#include "capture/Capture.h"
