#pragma once
// Headers nearly every unit includes; precompiled once for the windows, the
// subsystems and the tests.
#include "orlix_pch_low.h"

#include <QWidget>
