#pragma once
#include "platform/GlobalHotKeys.h"

#include <QString>
#include <optional>

// The settings' hot-key text ("Alt + Z", "Ctrl + W", "Ctrl + Alt + X") as the main window registers
// it: longer than 4 characters and ending in a letter; CTRL and ALT each add their modifier. A
// text with neither, or without a final letter, names no key.
std::optional<THotKey> ParseHotKeyText(const QString &text);
