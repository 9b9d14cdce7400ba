#pragma once
#include <QDialog>
#include <QList>

class QLabel;
class QPushButton;
class QRadioButton;
class QScrollArea;

// The field picker of the CSV import: one radio button per pair of the field-caption list,
// named after the column and captioned with the caption.
class Tfrmselectfield : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrmselectfield(QWidget *parent = nullptr);

    QLabel *Label1;
    QScrollArea *ScrollBox1;
    QPushButton *Button1;  // 确定
    QPushButton *Button2;  // 取消

    // Checks the button of `column`, or when there is none the one captioned `caption`; false
    // when neither is there.
    bool SelectField(const QString &column, const QString &caption);
    // The checked button, nullptr when none is.
    QRadioButton *CheckedField() const;
    QRadioButton *FieldButton(const QString &column) const;
    const QList<QRadioButton *> &FieldButtons() const { return buttons_; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QList<QRadioButton *> buttons_;
};
