#include "editor/setuseralarm.h"

#include "shared/FormParts.h"
#include "main/Main.h"
#include "account/dataModule.h"

#include "platform/ADODB.h"
#include "platform/SqliteDb.h"
#include "platform/UiServices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDebug>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <limits>

namespace {

const char *const MonthNames[12] = {"一月", "二月", "三月", "四月", "五月", "六月",
                                    "七月", "八月", "九月", "十月", "十一月", "十二月"};
const char *const WeekdayCaptions[7] = {"星期一", "星期二", "星期三", "星期四", "星期五", "星期六", "星期七"};

QLineEdit *NumberEdit(QWidget *parent, const char *name)
{
    auto *edit = Named(new QLineEdit(parent), name);
    edit->setFixedWidth(40);
    return edit;
}

QLabel *Text(QWidget *parent, const char *text)
{
    return new QLabel(QString::fromUtf8(text), parent);
}

// A stored key is a number; anything else matches no contact.
QVariant KeyValue(const QString &key)
{
    bool ok = false;
    const qint64 value = key.trimmed().toLongLong(&ok);
    return ok ? QVariant(value) : QVariant(key.trimmed());
}

// A monthly or yearly text of three parts names a day only with "1" in front; any other first
// part means the month's last day.
bool DayRule(const QStringList &parts)
{
    return parts.size() >= 3 && parts[0].trimmed() == QLatin1String("1");
}

} // namespace

Tfrmsetuseralarm::Tfrmsetuseralarm(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmsetuseralarm"));
    setWindowTitle(QStringLiteral("提醒设置"));
    BuildForm();
    // FormCreate
    activestdate->setDate(Clock().Now().date());
    activedate->setDate(Clock().Now().date());
    ShowKindPanel();
    CheckBox5Click();
}

void Tfrmsetuseralarm::BuildForm()
{
    CheckBox5 = Named(new QCheckBox(QStringLiteral("提醒"), this), "CheckBox5");
    auto *timeLabel = Named(Text(this, "提醒时间:"), "Label1");
    DateTimePicker1 = Named(new QDateTimeEdit(this), "DateTimePicker1");
    DateTimePicker1->setDisplayFormat(QStringLiteral("HH:mm"));
    DateTimePicker1->setDateTime(QDateTime(Clock().Now().date(), QTime(11, 0)));
    auto *messageLabel = Named(Text(this, "提醒信息:"), "Label2");
    Edit1 = Named(new QLineEdit(this), "Edit1");
    // The message is the contact's own text or name, which may be longer than a line edit keeps.
    Edit1->setMaxLength(std::numeric_limits<int>::max());

    GroupBox1 = Named(new QGroupBox(QStringLiteral("重复方式"), this), "GroupBox1");
    RadioButton5 = Named(new QRadioButton(QStringLiteral("每天"), GroupBox1), "RadioButton5");
    RadioButton6 = Named(new QRadioButton(QStringLiteral("每周"), GroupBox1), "RadioButton6");
    RadioButton7 = Named(new QRadioButton(QStringLiteral("每月"), GroupBox1), "RadioButton7");
    RadioButton8 = Named(new QRadioButton(QStringLiteral("每年"), GroupBox1), "RadioButton8");
    RadioButton5->setChecked(true);

    dayPanel = Named(new QWidget(GroupBox1), "dayPanel");
    dayEdit = NumberEdit(dayPanel, "dayEdit");
    dayEdit->setText(QStringLiteral("1"));
    auto *dayRow = new QHBoxLayout(dayPanel);
    dayRow->addWidget(Text(dayPanel, "每"));
    dayRow->addWidget(dayEdit);
    dayRow->addWidget(Text(dayPanel, "天"));
    dayRow->addStretch(1);

    weekPanel = Named(new QWidget(GroupBox1), "weekPanel");
    weekEdit = NumberEdit(weekPanel, "weekEdit");
    weekEdit->setText(QStringLiteral("1"));
    auto *weekGrid = new QGridLayout(weekPanel);
    auto *weekHead = new QHBoxLayout;
    weekHead->addWidget(Text(weekPanel, "每"));
    weekHead->addWidget(weekEdit);
    weekHead->addWidget(Text(weekPanel, "周"));
    weekHead->addStretch(1);
    weekGrid->addLayout(weekHead, 0, 0, 1, 4);
    for (int i = 0; i < 7; ++i) {
        weekCBox[size_t(i)] = new QCheckBox(QString::fromUtf8(WeekdayCaptions[i]), weekPanel);
        weekCBox[size_t(i)]->setObjectName(QStringLiteral("weekCBox%1").arg(i + 1));
        weekGrid->addWidget(weekCBox[size_t(i)], 1 + i / 4, i % 4);
    }

    monthPanel = Named(new QWidget(GroupBox1), "monthPanel");
    monthRadioButton1 = Named(new QRadioButton(QStringLiteral("天"), monthPanel), "monthRadioButton1");
    monthEdit1 = NumberEdit(monthPanel, "monthEdit1");
    monthEdit2 = NumberEdit(monthPanel, "monthEdit2");
    monthEdit2->setText(QStringLiteral("1"));
    monthRadioButton2 = Named(new QRadioButton(QStringLiteral("月最后一天"), monthPanel), "monthRadioButton2");
    monthRadioButton1->setChecked(true);
    auto *monthGrid = new QGridLayout(monthPanel);
    auto *monthRow = new QHBoxLayout;
    monthRow->addWidget(monthRadioButton1);
    monthRow->addWidget(monthEdit1);
    monthRow->addWidget(Text(monthPanel, "号  每"));
    monthRow->addWidget(monthEdit2);
    monthRow->addWidget(Text(monthPanel, "个月"));
    monthRow->addStretch(1);
    monthGrid->addLayout(monthRow, 0, 0);
    monthGrid->addWidget(monthRadioButton2, 1, 0);

    yearPanel = Named(new QWidget(GroupBox1), "yearPanel");
    yearRadioButton1 = Named(new QRadioButton(QStringLiteral("天"), yearPanel), "yearRadioButton1");
    ComboBox3 = Named(new QComboBox(yearPanel), "ComboBox3");
    for (const char *month : MonthNames)
        ComboBox3->addItem(QString::fromUtf8(month));
    ComboBox3->setCurrentIndex(0);
    yearEdit = NumberEdit(yearPanel, "yearEdit");
    yearEdit->setText(QStringLiteral("1"));
    yearRadioButton2 = Named(new QRadioButton(QStringLiteral("月最后一天"), yearPanel), "yearRadioButton2");
    yearRadioButton1->setChecked(true);
    auto *yearGrid = new QGridLayout(yearPanel);
    auto *yearRow = new QHBoxLayout;
    yearRow->addWidget(yearRadioButton1);
    yearRow->addWidget(ComboBox3);
    yearRow->addWidget(yearEdit);
    yearRow->addStretch(1);
    yearGrid->addLayout(yearRow, 0, 0);
    yearGrid->addWidget(yearRadioButton2, 1, 0);

    auto *kinds = new QVBoxLayout;
    for (QRadioButton *kind : {RadioButton5, RadioButton6, RadioButton7, RadioButton8})
        kinds->addWidget(kind);
    kinds->addStretch(1);
    auto *panels = new QVBoxLayout;
    for (QWidget *panel : {dayPanel, weekPanel, monthPanel, yearPanel})
        panels->addWidget(panel);
    panels->addStretch(1);
    auto *kindLayout = new QHBoxLayout(GroupBox1);
    kindLayout->addLayout(kinds);
    kindLayout->addLayout(panels, 1);

    GroupBox2 = Named(new QGroupBox(QStringLiteral("重复范围"), this), "GroupBox2");
    activestdate = Named(new QDateEdit(GroupBox2), "activestdate");
    activestdate->setCalendarPopup(true);
    activestdate->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    RadioButton9 = Named(new QRadioButton(QStringLiteral("重复"), GroupBox2), "RadioButton9");
    Edit2 = Named(new QSpinBox(GroupBox2), "Edit2");
    Edit2->setRange(0, MaxOccurrences);
    Edit2->setValue(10);
    RadioButton10 = Named(new QRadioButton(QStringLiteral("重复截止日期"), GroupBox2), "RadioButton10");
    activedate = Named(new QDateEdit(GroupBox2), "activedate");
    activedate->setCalendarPopup(true);
    activedate->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    activedate->setEnabled(false);
    RadioButton9->setChecked(true);
    auto *rangeGrid = new QGridLayout(GroupBox2);
    rangeGrid->addWidget(Text(GroupBox2, "重复开始日期"), 0, 0);
    rangeGrid->addWidget(activestdate, 0, 1);
    rangeGrid->addWidget(RadioButton9, 1, 0);
    auto *countRow = new QHBoxLayout;
    countRow->addWidget(Edit2);
    countRow->addWidget(Text(GroupBox2, "次"));
    countRow->addStretch(1);
    rangeGrid->addLayout(countRow, 1, 1);
    rangeGrid->addWidget(RadioButton10, 2, 0);
    rangeGrid->addWidget(activedate, 2, 1);

    Button1 = FormButton(QStringLiteral("确定"), "Button1", this, TEnterPress::Default);
    Button2 = FormButton(QStringLiteral("取消"), "Button2", this, TEnterPress::Focused);
    QHBoxLayout *buttons = ButtonRow({Button1, Button2});

    auto *top = new QGridLayout;
    top->addWidget(CheckBox5, 0, 0, 1, 2);
    top->addWidget(timeLabel, 1, 0);
    top->addWidget(DateTimePicker1, 1, 1);
    top->addWidget(messageLabel, 2, 0);
    top->addWidget(Edit1, 2, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(GroupBox1);
    layout->addWidget(GroupBox2);
    layout->addLayout(buttons);
    setMinimumWidth(460);

    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(CheckBox5, &QCheckBox::toggled, this, [this] { CheckBox5Click(); });
    for (QRadioButton *kind : {RadioButton5, RadioButton6, RadioButton7, RadioButton8}) {
        connect(kind, &QRadioButton::toggled, this, [this](bool on) {
            if (on) {
                ShowKindPanel();
                SyncRange();
            }
        });
    }
    for (QRadioButton *range : {RadioButton9, RadioButton10}) {
        connect(range, &QRadioButton::toggled, this, [this] {
            Edit2->setEnabled(RadioButton9->isChecked());
            activedate->setEnabled(RadioButton10->isChecked());
            SyncRange();
        });
    }
    for (QLineEdit *edit : {dayEdit, weekEdit, monthEdit1, monthEdit2, yearEdit})
        connect(edit, &QLineEdit::textChanged, this, [this] { SyncRange(); });
    for (QCheckBox *box : weekCBox)
        connect(box, &QCheckBox::toggled, this, [this] { SyncRange(); });
    for (QRadioButton *choice : {monthRadioButton1, monthRadioButton2, yearRadioButton1, yearRadioButton2})
        connect(choice, &QRadioButton::toggled, this, [this] { SyncRange(); });
    connect(ComboBox3, &QComboBox::currentIndexChanged, this, [this] { SyncRange(); });
    connect(activestdate, &QDateEdit::dateChanged, this, [this] { SyncRange(); });
    connect(activedate, &QDateEdit::dateChanged, this, [this] { SyncRange(); });
    connect(Edit2, &QSpinBox::valueChanged, this, [this] { SyncRange(); });
}

void Tfrmsetuseralarm::ShowKindPanel()
{
    dayPanel->setVisible(RadioButton5->isChecked());
    weekPanel->setVisible(RadioButton6->isChecked());
    monthPanel->setVisible(RadioButton7->isChecked());
    yearPanel->setVisible(RadioButton8->isChecked());
}

void Tfrmsetuseralarm::CheckBox5Click()
{
    const bool on = CheckBox5->isChecked();
    GroupBox1->setVisible(on);
    GroupBox2->setVisible(on);
    for (QWidget *widget : {static_cast<QWidget *>(DateTimePicker1), static_cast<QWidget *>(Edit1)})
        widget->setVisible(on);
    findChild<QLabel *>(QStringLiteral("Label1"))->setVisible(on);
    findChild<QLabel *>(QStringLiteral("Label2"))->setVisible(on);
    // The window follows what it shows, so the buttons never float in emptied space.
    if (layout())
        layout()->activate();
    adjustSize();
}

QTime Tfrmsetuseralarm::ReminderTime() const
{
    const QTime time = DateTimePicker1->time();
    return QTime(time.hour(), time.minute());
}

void Tfrmsetuseralarm::LoadReminderSettings(int count, int kind, const QString &text, const QDateTime &end,
                                            const QDateTime &start)
{
    // The controls are filled as a whole; the range is brought in step once at the end.
    syncing_ = true;
    const bool on = kind >= rkDaily && kind <= rkYearly;
    CheckBox5->setChecked(on);
    if (on)
        Edit2->setValue(std::clamp(count, 0, MaxOccurrences));
    if (start.isValid()) {
        activestdate->setDate(start.date());
        if (on)
            DateTimePicker1->setDateTime(start);
    }
    if (end.isValid()) {
        activedate->setDate(end.date());
        RadioButton10->setChecked(true);
    } else {
        RadioButton9->setChecked(true);
    }

    const TRecurrence r = DecodeRecurrence(kind, text);
    const QStringList parts = text.trimmed().split(',');
    switch (r.Kind) {
    case rkDaily:
        RadioButton5->setChecked(true);
        dayEdit->setText(parts.value(0).trimmed());
        break;
    case rkWeekly:
        RadioButton6->setChecked(true);
        if (parts.size() >= 8) {
            weekEdit->setText(parts[0].trimmed());
            for (int i = 0; i < 7; ++i)
                weekCBox[size_t(i)]->setChecked(r.Weekdays[size_t(i)]);
        }
        break;
    case rkMonthly:
        RadioButton7->setChecked(true);
        if (DayRule(parts)) {
            monthRadioButton1->setChecked(true);
            monthEdit1->setText(parts[1].trimmed());
            monthEdit2->setText(parts[2].trimmed());
        } else if (r.LastDay || parts.size() >= 3) {
            monthRadioButton2->setChecked(true);
            if (r.LastDay && parts.size() > 1)
                monthEdit2->setText(parts[1].trimmed());
        }
        break;
    case rkYearly:
        RadioButton8->setChecked(true);
        if (parts.size() > 1)
            ComboBox3->setCurrentIndex(r.Month - 1);
        if (DayRule(parts)) {
            yearRadioButton1->setChecked(true);
            yearEdit->setText(parts[2].trimmed());
        } else if (r.LastDay || parts.size() >= 3) {
            yearRadioButton2->setChecked(true);
        }
        break;
    default: {
        // A new series: today at 11:00, today's weekday, month and day, ten days of range.
        const QDate today = Clock().Now().date();
        activestdate->setDate(today);
        DateTimePicker1->setDateTime(QDateTime(today, QTime(11, 0)));
        weekCBox[size_t(today.dayOfWeek() - 1)]->setChecked(true);
        ComboBox3->setCurrentIndex(today.month() - 1);
        yearEdit->setText(QString::number(today.day()));
        monthEdit1->setText(QString::number(today.day()));
        activedate->setDate(today.addDays(10));
        break;
    }
    }
    ShowKindPanel();
    CheckBox5Click();
    syncing_ = false;
    SyncRange();
}

void Tfrmsetuseralarm::EncodeRecurrence(int &kind, QString &text) const
{
    kind = rkNone;
    text.clear();
    if (!CheckBox5->isChecked())
        return;
    if (RadioButton5->isChecked()) {
        kind = rkDaily;
        text = dayEdit->text().trimmed();
    } else if (RadioButton6->isChecked()) {
        kind = rkWeekly;
        text = weekEdit->text().trimmed();
        for (const QCheckBox *box : weekCBox)
            text += box->isChecked() ? QStringLiteral(",1") : QStringLiteral(",0");
    } else if (RadioButton7->isChecked()) {
        kind = rkMonthly;
        // A last-day rule keeps its interval after the 0 that marks it.
        text = monthRadioButton1->isChecked()
                   ? QStringLiteral("1,%1,%2").arg(monthEdit1->text().trimmed(), monthEdit2->text().trimmed())
                   : QStringLiteral("0,%1").arg(monthEdit2->text().trimmed());
    } else if (RadioButton8->isChecked()) {
        kind = rkYearly;
        const int month = std::max(ComboBox3->currentIndex(), 0);
        text = yearRadioButton1->isChecked() ? QStringLiteral("1,%1,%2").arg(month).arg(yearEdit->text().trimmed())
                                             : QStringLiteral("0,%1").arg(month);
    }
}

void Tfrmsetuseralarm::GetReminderSettings(QDateTime &start, QDateTime &end, QString &text, int &kind,
                                           int &count) const
{
    EncodeRecurrence(kind, text);
    start = QDateTime(activestdate->date(), ReminderTime());
    end = RadioButton9->isChecked() ? QDateTime() : QDateTime(activedate->date(), QTime(0, 0));
    count = Edit2->value();
}

TRecurrence Tfrmsetuseralarm::CurrentRecurrence() const
{
    int kind = rkNone;
    QString text;
    EncodeRecurrence(kind, text);
    TRecurrence r = DecodeRecurrence(kind, text);
    r.Start = activestdate->date();
    r.Time = ReminderTime();
    r.UntilEnd = RadioButton10->isChecked();
    r.End = activedate->date();
    r.Count = Edit2->value();
    return r;
}

void Tfrmsetuseralarm::SyncRange()
{
    if (syncing_)
        return;
    syncing_ = true;
    if (activedate->date() < activestdate->date()) {
        const QSignalBlocker block(activedate);
        activedate->setDate(activestdate->date());
    }
    if (RadioButton6->isChecked() && std::none_of(weekCBox.begin(), weekCBox.end(), [](QCheckBox *b) { return b->isChecked(); })) {
        QCheckBox *startDay = weekCBox[size_t(activestdate->date().dayOfWeek() - 1)];
        const QSignalBlocker block(startDay);
        startDay->setChecked(true);
    }
    if (CheckBox5->isChecked()) {
        TRecurrence r = CurrentRecurrence();
        if (r.UntilEnd) {
            const QSignalBlocker block(Edit2);
            Edit2->setValue(int(ExpandRecurrence(r).size()));
        } else {
            const std::vector<QDate> days = ExpandRecurrence(r);
            const QSignalBlocker block(activedate);
            activedate->setDate(days.empty() ? activestdate->date() : days.back());
        }
    }
    syncing_ = false;
}

void Tfrmsetuseralarm::InsertOccurrence(TADOQuery &query, const QString &key, const QString &title,
                                        const TOccurrenceRow &row)
{
    query.SetSQL(QStringLiteral(
        "insert into usertable (groupid,title,startdate,enddate,alarmtime,gqwtx) values (?,?,?,?,?,?)"));
    query.SetParams({KeyValue(key), title, row.StartDate, row.EndDate, row.AlarmTime, row.Passed});
    query.ExecSQL();
}

bool Tfrmsetuseralarm::GenerateOccurrences(const QString &key)
{
    TADOConnection *connection = CustomerData ? CustomerData->dbConnection : nullptr;
    if (!connection || !connection->Connected())
        return false;
    const TRecurrence recurrence = CurrentRecurrence();
    const QDateTime now = Clock().Now();
    const QString title = Edit1->text().trimmed();
    bool written = false;
    try {
        SQLite::Transaction transaction(connection->Db());
        TADOQuery query(connection);
        query.SetSQL(QStringLiteral("delete from usertable where groupid=?"));
        query.SetParams({KeyValue(key)});
        query.ExecSQL();
        for (const QDate &day : OccurrenceDays(recurrence))
            InsertOccurrence(query, key, title, OccurrenceRow(day, recurrence.Time, now));
        transaction.Commit();
        written = true;
    } catch (const Exception &e) {
        qWarning().noquote() << "reminder rows not written:" << e.Message();
    }
    // Inside a caller's open change the rows may still be rolled back; the month would show
    // them all the same, since it reads through this connection. The caller reloads it once its
    // change is kept or undone.
    if (frmmain && frmmain->CalendarPage() && !connection->Db().InTransaction())
        frmmain->CalendarPage()->LoadMonth(true);
    return written;
}
