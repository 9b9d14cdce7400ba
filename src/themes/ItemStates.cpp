#include "ItemStates.h"

int ItemStateIndex(const TTBXItemInfo &info)
{
    if (!info.Enabled)
        return info.HoverKind == HOVER_DISABLED ? 5 : 1;
    if (info.IsPopupParent)
        return 7;
    if (info.Pushed)
        return 3;
    const bool hot = info.HoverKind != HOVER_NONE;
    if (info.Checked)
        return hot ? 6 : 2;
    return hot ? 4 : 0;
}

int MenuStateIndex(const TTBXItemInfo &info)
{
    if (info.Enabled)
        return info.HoverKind != HOVER_NONE ? 2 : 0;
    return info.HoverKind == HOVER_DISABLED ? 3 : 1;
}
