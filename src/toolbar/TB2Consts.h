#pragma once
#include <QString>

// The framework's own messages, raised with its exceptions or shown as hints. English and fixed.
inline const QString STBItemIndexOutOfRange = QStringLiteral("Toolbar item index out of range");
inline const QString STBItemAlreadyInserted = QStringLiteral("Toolbar item already inserted");
inline const QString STBChevronMoreButtonsHint = QStringLiteral("More Buttons|");
inline const QString STBDockParentNotAllowed =
    QStringLiteral("A TTBDock control cannot be placed inside a tool window or another TTBDock");
inline const QString STBDockCannotChangePosition =
    QStringLiteral("Cannot change Position of a TTBDock if it already contains controls");
