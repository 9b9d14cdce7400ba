#pragma once
// Stands in for the modal loop of the program's context menus: each menu asked to open is
// prepared as the loop prepares it (its OnPopup runs) and then recorded with what its items show
// at that moment, and it closes at once. Real menus under a real pointer are in the x11 tests.
#include "contacts/shared/FrameworkCommandBuilder.h"
#include "toolbar/TB2Item.h"
#include "toolbar/TB2ItemWindow.h"

#include <QPoint>
#include <QStringList>
#include <vector>

struct TOpenedMenu {
    QString name;
    QPoint at;
    // One entry per item in order: "-" for a separator, else the caption, and the letters e (enabled),
    // h (hidden), c (checked), each only when it holds, then the shown key after a blank, with
    // "|" between the caption and the rest.
    QStringList items;
    // The entry of the item with this caption; empty when there is none.
    QString State(const QString &caption) const
    {
        for (const QString &item : items)
            if (item.section('|', 0, 0) == caption)
                return item.section('|', 1);
        return {};
    }
};

class PopupMenuRecorder
{
public:
    PopupMenuRecorder()
    {
        SetPopupMenuRunner([this](TTBPopupMenu &menu, const QPoint &at) {
            menu.Items()->DoPopup(menu.Items(), false);
            TOpenedMenu opened{menu.Name(), at, {}};
            TTBCustomItem *root = menu.Items();
            for (int i = 0; i < root->Count(); ++i) {
                TTBCustomItem *item = root->Items(i);
                if (dynamic_cast<TTBSeparatorItem *>(item)) {
                    opened.items << QStringLiteral("-");
                    continue;
                }
                QString state;
                if (item->Enabled())
                    state += 'e';
                if (!item->Visible())
                    state += 'h';
                if (item->Checked())
                    state += 'c';
                if (!item->ItemShortCutText().isEmpty())
                    state += ' ' + item->ItemShortCutText();
                // The caption as the menu shows it: a key written after a tab is shown as the key.
                opened.items << item->Caption().section('\t', 0, 0) + '|' + state;
            }
            this->opened.push_back(opened);
        });
    }
    ~PopupMenuRecorder() { SetPopupMenuRunner(nullptr); }
    PopupMenuRecorder(const PopupMenuRecorder &) = delete;
    PopupMenuRecorder &operator=(const PopupMenuRecorder &) = delete;

    std::vector<TOpenedMenu> opened;
};
