// A view file: widgets are allowed here.
#pragma once
#include <QWidget>
#include "core/SampleTable.h"
