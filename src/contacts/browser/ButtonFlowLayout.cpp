#include "browser/ButtonFlowLayout.h"

#include <QWidget>
#include <algorithm>

TButtonFlowLayout::TButtonFlowLayout(QWidget *parent, int spacing) : QLayout(parent)
{
    setSpacing(spacing);
}

TButtonFlowLayout::~TButtonFlowLayout()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

void TButtonFlowLayout::addItem(QLayoutItem *item)
{
    items_ << item;
    invalidate();
}

QLayoutItem *TButtonFlowLayout::takeAt(int index)
{
    if (index < 0 || index >= items_.size())
        return nullptr;
    QLayoutItem *item = items_.takeAt(index);
    invalidate();
    return item;
}

int TButtonFlowLayout::heightForWidth(int width) const
{
    return Arrange(QRect(0, 0, width, 0), false);
}

QSize TButtonFlowLayout::sizeHint() const
{
    const QMargins m = contentsMargins();
    int width = 0, height = 0;
    for (const QLayoutItem *item : items_) {
        if (item->isEmpty())
            continue;
        const QSize size = item->sizeHint();
        width += (width > 0 ? spacing() : 0) + size.width();
        height = std::max(height, size.height());
    }
    return QSize(width + m.left() + m.right(), height + m.top() + m.bottom());
}

QSize TButtonFlowLayout::minimumSize() const
{
    QSize size;
    for (const QLayoutItem *item : items_) {
        if (!item->isEmpty())
            size = size.expandedTo(item->minimumSize());
    }
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

void TButtonFlowLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    Arrange(rect, true);
}

int TButtonFlowLayout::Arrange(const QRect &rect, bool apply) const
{
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int right = area.x() + area.width();
    int x = area.x(), y = area.y(), rowHeight = 0;
    for (QLayoutItem *item : items_) {
        if (item->isEmpty())
            continue;
        const QSize size = item->sizeHint();
        // A row always takes its first button, however narrow the pane.
        if (x > area.x() && x + size.width() > right) {
            x = area.x();
            y += rowHeight + spacing();
            rowHeight = 0;
        }
        if (apply)
            item->setGeometry(QRect(QPoint(x, y), size));
        x += size.width() + spacing();
        rowHeight = std::max(rowHeight, size.height());
    }
    const QMargins m = contentsMargins();
    return y + rowHeight - area.y() + m.top() + m.bottom();
}
