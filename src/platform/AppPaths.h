#pragma once
#include <QString>

// The data root: $ORVANTA_HOME when set, else $XDG_DATA_HOME/orvanta/ (default
// ~/.local/share/orvanta/). Always ends in "/". It holds data/, data/backup/, temp/ and config.ini.
QString AppDir();

// $XDG_CONFIG_HOME (default ~/.config), without a trailing "/".
QString ConfigHome();

// The running program's own file.
QString ProgramPath();

// A read-only run-time file (sounds, help, icons) by its relative path ("res/sound/x.wav"):
// beside the executable first, then under the install prefix's share/orvanta/. Empty when
// neither exists.
QString ResourcePath(const QString &relative);

// Makes sure a folder exists; true when it does afterwards.
bool EnsureDir(const QString &path);
