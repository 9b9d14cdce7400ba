#pragma once
#include <QComboBox>
#include <QDate>
#include <QWidget>

class QCheckBox;
class QDateEdit;

// A date picker with a check box in front: unchecked means "no date". Changed is sent for the
// user's edits only, never for values set by the program or by emptying a form's inputs. A typed
// text that is no date ("1990-02-30") stays as typed while the user edits; when the edit ends it
// is not turned into another date but refused: the date from before the edit comes back and
// Refused hears the text, after the event that ended the edit.
class TCheckDatePicker : public QWidget
{
    Q_OBJECT
public:
    explicit TCheckDatePicker(QWidget *parent = nullptr);

    QCheckBox *CheckBox() const { return check_; }
    QDateEdit *DateEdit() const { return edit_; }

    bool Checked() const;
    void SetChecked(bool checked);
    QDate Date() const;
    void SetDate(const QDate &date);

signals:
    void Changed();
    void Refused(const QString &text);

private:
    QCheckBox *check_;
    QDateEdit *edit_;
    bool setting_ = false;
};

// The level box: items "1".."5" shown as one to five stars.
class TLevelComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit TLevelComboBox(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// Paints `count` stars from the left of the rectangle (the level images are 70 × 16).
void PaintLevelStars(QPainter &painter, const QRect &rect, int count);
