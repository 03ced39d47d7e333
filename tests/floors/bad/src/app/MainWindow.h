// The composition root may include every folder.
#pragma once
#include "core/Reaches.h"
#include "screen/ScreenView.h"
#include <QMainWindow>
