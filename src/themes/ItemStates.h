#pragma once
#include "themed/TBXThemes.h"

// The states the themes keep colours for. Items: 0 normal, 1 disabled, 2 checked, 3 pushed,
// 4 hot, 5 disabled under the mouse, 6 checked and hot, 7 parent of an open popup.
int ItemStateIndex(const TTBXItemInfo &info);
// Menu items: 0 normal, 1 disabled, 2 hot, 3 disabled under the mouse.
int MenuStateIndex(const TTBXItemInfo &info);

// Part numbers of the colour lookups.
constexpr int PartFill = 0, PartText = 1, PartFrame = 2;
