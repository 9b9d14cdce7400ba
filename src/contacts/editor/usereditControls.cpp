#include "editor/usereditControls.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QStylePainter>
#include <QtMath>
#include <functional>

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

namespace {

// Digits typed into the month or the day are taken as typed, and a text that is no date
// ("1990-02-30") stays as it is while the user edits, where the spin box would drop the key or
// move on to another day. The end of the edit reports it. A month is complete after two digits,
// or after one that no second digit could follow; the day comes next, so a whole date can be
// typed in one go ("19900315", "1990-03-15", "1990-3-5"), wherever a click left the cursor: typing
// that begins inside the year replaces the whole year, and four digits that begin on the month or
// the day are the year.
class TDateEdit final : public QDateEdit
{
public:
    explicit TDateEdit(QWidget *parent) : QDateEdit(parent)
    {
        // A click into the text lands on the line edit, not on the spin box.
        lineEdit()->installEventFilter(this);
    }

    std::function<void(const QString &text, const QDate &before)> OnRefused;

    QValidator::State validate(QString &input, int &pos) const override
    {
        // The spin box would put the month's last day in place of a day it lacks.
        if (IsDateShaped(input) && !QDate::fromString(input, QStringLiteral("yyyy-MM-dd")).isValid())
            return QValidator::Intermediate;
        return QDateEdit::validate(input, pos);
    }

protected:
    void focusInEvent(QFocusEvent *event) override
    {
        before_ = date();
        StopTyping();
        QDateEdit::focusInEvent(event);
    }

    void focusOutEvent(QFocusEvent *event) override
    {
        const QString typed = text();
        QDateEdit::focusOutEvent(event);
        Finish(typed);
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        StopTyping();
        QDateEdit::mousePressEvent(event);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == lineEdit() && event->type() == QEvent::MouseButtonPress)
            StopTyping();
        return QDateEdit::eventFilter(watched, event);
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        const Section section = currentSection();
        const QString key = event->text();
        const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        const bool digit = key.size() == 1 && key[0].isDigit() && plain;
        if (digit && run_.isEmpty() && runOpen_) {
            runStart_ = text();
            runSection_ = section;
        }
        if (digit && runOpen_)
            run_ += key[0];
        if ((section == DaySection || section == MonthSection) && digit) {
            if (!TakeYear())
                TypeDigit(section, key[0]);
            return;
        }
        // The separator after a section that just filled up stays where the typing already went.
        if (advanced_ && plain && key == QLatin1String("-")) {
            advanced_ = false;
            runOpen_ = false;
            return;
        }
        // The spin box refuses a digit inside a year that has its four already: typing that
        // begins there replaces the year.
        if (digit && section == YearSection && run_.size() == 1)
            setSelectedSection(YearSection);
        if (digit)
            StopSection();
        else
            StopTyping();
        const bool ends = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        const QString typed = text();
        QDateEdit::keyPressEvent(event);
        // The spin box moves on by itself once the year has its four digits.
        advanced_ = section == YearSection && key.size() == 1 && key[0].isDigit() && currentSection() != section;
        if (ends)
            Finish(typed);
    }

private:
    // "yyyy-MM-dd" with a month of the year and a day some month has.
    static bool IsDateShaped(const QString &text)
    {
        const QStringList parts = text.split(u'-');
        if (parts.size() != 3 || parts[0].size() != 4 || parts[1].size() != 2 || parts[2].size() != 2)
            return false;
        bool ok[3] = {};
        parts[0].toInt(&ok[0]);
        const int month = parts[1].toInt(&ok[1]);
        const int day = parts[2].toInt(&ok[2]);
        return ok[0] && ok[1] && ok[2] && month >= 1 && month <= 12 && day >= 1 && day <= 31;
    }

    void StopSection()
    {
        typing_ = NoSection;
        pending_ = QChar();
        advanced_ = false;
    }

    // A new run of typing begins with the next key.
    void StopTyping()
    {
        StopSection();
        run_.clear();
        runOpen_ = true;
    }

    // Puts the text up when it has the shape of a date, with the section selected; false when
    // it has not.
    bool Put(const QString &typed, Section section)
    {
        if (!IsDateShaped(typed))
            return false;
        const QDate date = QDate::fromString(typed, QStringLiteral("yyyy-MM-dd"));
        if (date.isValid() && date >= minimumDate() && date <= maximumDate())
            setDate(date);
        lineEdit()->setText(typed);
        setSelectedSection(section);
        return true;
    }

    // Puts the two digits into the section; false when they make no month or day.
    bool Show(Section section, const QString &number)
    {
        QString typed = text();
        if (!IsDateShaped(typed))
            return false;
        typed.replace(section == MonthSection ? 5 : 8, 2, number);
        return Put(typed, section);
    }

    // Four digits that began on the month or the day make no month and day the field could
    // show ("1231" is all a month and a day reach); as a year, they are the start of a whole date,
    // and the month and the day from before they were typed come back for the rest to replace.
    bool TakeYear()
    {
        if (!runOpen_ || run_.size() != 4 || runSection_ == YearSection)
            return false;
        const int year = run_.toInt();
        if (year < minimumDate().year() || year > maximumDate().year() || !IsDateShaped(runStart_))
            return false;
        const bool taken = Put(run_ + runStart_.mid(4), MonthSection);
        StopSection();
        advanced_ = taken;
        runOpen_ = false;
        return taken;
    }

    void TypeDigit(Section section, QChar digit)
    {
        advanced_ = false;
        // The second digit of a number begun in this section.
        if (typing_ == section && !pending_.isNull()) {
            const QChar first = pending_;
            pending_ = QChar();
            if (Show(section, QString(first) + digit)) {
                Completed(section);
                return;
            }
            if (first == u'0')
                return;  // "00" is no number: the section waits as it was
        }
        // A first digit. "0" shows nothing yet; "1" may still become "12", "3" may become "31".
        typing_ = section;
        const int value = digit.digitValue();
        if (value == 0) {
            pending_ = digit;
            return;
        }
        if (!Show(section, QStringLiteral("0") + digit))
            return;
        const int highestFirst = section == MonthSection ? 1 : 3;
        if (value <= highestFirst)
            pending_ = digit;
        else
            Completed(section);
    }

    void Completed(Section section)
    {
        typing_ = NoSection;
        pending_ = QChar();
        if (section == MonthSection) {
            setSelectedSection(DaySection);
            advanced_ = true;
        }
    }

    void Finish(const QString &typed)
    {
        StopTyping();
        if (QDate::fromString(typed, QStringLiteral("yyyy-MM-dd")).isValid() || !IsDateShaped(typed)) {
            before_ = date();
            return;
        }
        if (OnRefused)
            OnRefused(typed, before_);
    }

    QDate before_;
    Section typing_ = NoSection;
    QChar pending_;          // a first digit that a second may follow
    bool advanced_ = false;  // the typing just moved on to the next section by itself
    // The digits typed since the focus came, a click or a key other than a digit, while nothing
    // else has been typed; the text and the section they began in.
    QString run_;
    bool runOpen_ = true;
    QString runStart_;
    Section runSection_ = NoSection;
};

} // namespace

TCheckDatePicker::TCheckDatePicker(QWidget *parent) : QWidget(parent)
{
    check_ = new QCheckBox(this);
    auto *edit = new TDateEdit(this);
    edit_ = edit;
    edit->OnRefused = [this](const QString &text, const QDate &before) {
        // Back to the date from before the edit, as the user's own change: what the typing
        // already changed on the way is undone too.
        edit_->setDate(before);
        QMetaObject::invokeMethod(this, [this, text] { emit Refused(text); }, Qt::QueuedConnection);
    };
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
