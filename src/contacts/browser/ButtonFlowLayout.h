#pragma once
#include <QLayout>
#include <QList>

// Buttons of one size in rows, left to right: as many to a row as the width takes, the rest on
// the rows below, so a narrow pane never lays one button over another or cuts a caption. The
// layout asks for the height its rows need at the width it is given.
class TButtonFlowLayout final : public QLayout
{
public:
    TButtonFlowLayout(QWidget *parent, int spacing);
    ~TButtonFlowLayout() override;

    void addItem(QLayoutItem *item) override;
    int count() const override { return int(items_.size()); }
    QLayoutItem *itemAt(int index) const override { return items_.value(index); }
    QLayoutItem *takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

private:
    // Places the items inside `rect` when `apply`; gives the height the rows take.
    int Arrange(const QRect &rect, bool apply) const;

    QList<QLayoutItem *> items_;
};
