// A drawing file of the screen folder that uses a widget and a sibling floor's header.
#pragma once
#include "screen/ScreenCanvas.h"
#include <QWidget>
#include "panel/FrontPanel.h"
