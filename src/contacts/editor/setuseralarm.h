#pragma once
#include "editor/ReminderRules.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QDateTimeEdit;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QWidget;
class TADOQuery;

// 提醒设置: edits a contact's reminder series and writes its occurrences into usertable.
class Tfrmsetuseralarm : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrmsetuseralarm(QWidget *owner = nullptr);

    QCheckBox *CheckBox5;            // 提醒
    QDateTimeEdit *DateTimePicker1;  // reminder time, shown "HH:mm"
    QLineEdit *Edit1;                // message
    QGroupBox *GroupBox1;            // 重复方式
    QGroupBox *GroupBox2;            // 重复范围
    QRadioButton *RadioButton5;      // 每天
    QRadioButton *RadioButton6;      // 每周
    QRadioButton *RadioButton7;      // 每月
    QRadioButton *RadioButton8;      // 每年
    QWidget *dayPanel;
    QWidget *weekPanel;
    QWidget *monthPanel;
    QWidget *yearPanel;
    QLineEdit *dayEdit;
    QLineEdit *weekEdit;
    std::array<QCheckBox *, 7> weekCBox;  // weekCBox1 (星期一) .. weekCBox7 (星期七)
    QRadioButton *monthRadioButton1;      // day D every N months
    QLineEdit *monthEdit1;
    QLineEdit *monthEdit2;
    QRadioButton *monthRadioButton2;      // 月最后一天
    QRadioButton *yearRadioButton1;       // month and day
    QComboBox *ComboBox3;                 // 一月 .. 十二月
    QLineEdit *yearEdit;
    QRadioButton *yearRadioButton2;       // 月最后一天
    QDateEdit *activestdate;              // 重复开始日期
    QRadioButton *RadioButton9;           // 重复 N 次
    QSpinBox *Edit2;
    QRadioButton *RadioButton10;          // 重复截止日期
    QDateEdit *activedate;
    QPushButton *Button1;                 // 确定
    QPushButton *Button2;                 // 取消

    // Puts a stored series into the controls. The reminder is on exactly when the kind is not 0;
    // an end date selects the range by end date. Kind 0 sets the defaults of a new series.
    void LoadReminderSettings(int count, int kind, const QString &text, const QDateTime &end,
                              const QDateTime &start);
    // Kind and parameter text from the controls (0 and empty when 提醒 is off).
    void EncodeRecurrence(int &kind, QString &text) const;
    void GetReminderSettings(QDateTime &start, QDateTime &end, QString &text, int &kind, int &count) const;
    // The series the controls describe, as the expansion reads it.
    TRecurrence CurrentRecurrence() const;
    // Replaces the contact's usertable rows by one row per occurrence, all in one transaction.
    // False, with the old rows kept, when they could not be written. The calendar's month is
    // reloaded here only when no caller's transaction is open; a caller that holds one reloads it
    // after its commit or rollback.
    bool GenerateOccurrences(const QString &key);

    // Keeps the range consistent after a change: the end not before the start, a weekday chosen
    // for weekly series, and the count or end date that is not being edited following the other.
    void SyncRange();

private:
    void BuildForm();
    void ShowKindPanel();
    void CheckBox5Click();
    QTime ReminderTime() const;
    // Appends one occurrence row of the contact.
    static void InsertOccurrence(TADOQuery &query, const QString &key, const QString &title,
                                 const TOccurrenceRow &row);

    bool syncing_ = false;
};
