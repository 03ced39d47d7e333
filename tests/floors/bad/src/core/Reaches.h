// A base file that reaches up into the main window and uses a widget.
#pragma once
#include "app/MainWindow.h"
#include <QLabel>
