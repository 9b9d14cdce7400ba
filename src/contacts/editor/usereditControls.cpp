#include "editor/usereditControls.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QStylePainter>
#include <QtMath>

namespace {

constexpr int StarSize = 14;

QPainterPath StarPath(const QPointF &centre, double radius)
{
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double r = i % 2 == 0 ? radius : radius * 0.45;
        const double angle = -M_PI / 2 + i * M_PI / 5;
        const QPointF point(centre.x() + r * std::cos(angle), centre.y() + r * std::sin(angle));
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    path.closeSubpath();
    return path;
}

// The drop-down list draws each item on white with its stars at left + 2.
class LevelDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        painter->fillRect(option.rect, (option.state & QStyle::State_Selected) ? option.palette.highlight()
                                                                              : QBrush(Qt::white));
        PaintLevelStars(*painter, option.rect.adjusted(2, 0, 0, 0), index.row() + 1);
    }
    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override { return {74, 18}; }
};

} // namespace

void PaintLevelStars(QPainter &painter, const QRect &rect, int count)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(184, 134, 11), 1));
    painter.setBrush(QColor(255, 200, 0));
    const double y = rect.top() + rect.height() / 2.0;
    for (int i = 0; i < count; ++i)
        painter.drawPath(StarPath(QPointF(rect.left() + StarSize / 2.0 + i * StarSize, y), StarSize / 2.0 - 0.5));
    painter.restore();
}

TCheckDatePicker::TCheckDatePicker(QWidget *parent) : QWidget(parent)
{
    check_ = new QCheckBox(this);
    edit_ = new QDateEdit(this);
    edit_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    edit_->setCalendarPopup(true);
    edit_->setEnabled(false);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(check_);
    layout->addWidget(edit_, 1);
    connect(check_, &QCheckBox::toggled, edit_, &QWidget::setEnabled);
    // Only a click is the user's: forms that empty their inputs uncheck the box too.
    connect(check_, &QCheckBox::clicked, this, &TCheckDatePicker::Changed);
    connect(edit_, &QDateEdit::dateChanged, this, [this] {
        if (!setting_)
            emit Changed();
    });
}

bool TCheckDatePicker::Checked() const
{
    return check_->isChecked();
}

void TCheckDatePicker::SetChecked(bool checked)
{
    check_->setChecked(checked);
}

QDate TCheckDatePicker::Date() const
{
    return edit_->date();
}

void TCheckDatePicker::SetDate(const QDate &date)
{
    setting_ = true;
    edit_->setDate(date);
    setting_ = false;
}

TLevelComboBox::TLevelComboBox(QWidget *parent) : QComboBox(parent)
{
    for (int level = 1; level <= 5; ++level)
        addItem(QString::number(level));
    setItemDelegate(new LevelDelegate(this));
    setMinimumWidth(100);
}

void TLevelComboBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    painter.fillRect(field, Qt::white);
    if (currentIndex() >= 0)
        PaintLevelStars(painter, field.adjusted(2, 0, 0, 0), currentIndex() + 1);
}
