// The reminder dialog, the rows it writes, and the editor's use of it.
#include "contacts/editor/setuseralarm.h"

#include "editor/EditorTestSupport.h"

#include <QGroupBox>
#include <QSpinBox>

namespace {

class ReminderDialog : public EditorTest
{
protected:
    // The series rows of a contact in time order, as the given expression of their columns.
    QStringList Rows(const QString &key, const QString &what)
    {
        return Column("select " + what + " from usertable where groupid=? order by alarmtime", {key.toLongLong()});
    }
    QStringList Days(const QString &key) { return Rows(key, "substr(startdate,1,10)"); }
    QStringList Ids(const QString &key) { return Rows(key, "id"); }
    // A dialog with cleared remembered input, showing the given series.
    Tfrmsetuseralarm &Loaded(int count, int kind, const QString &text, const QDateTime &end, const QDateTime &start)
    {
        shown = std::make_unique<Tfrmsetuseralarm>();
        ClearInputControls(shown.get());
        shown->LoadReminderSettings(count, kind, text, end, start);
        return *shown;
    }
    void TearDown() override { shown.reset(), EditorTest::TearDown(); }
    std::unique_ptr<Tfrmsetuseralarm> shown;
};

// Each stored series comes back from the dialog unchanged, and writes as many rows as it shows.
TEST_F(ReminderDialog, StoredSeriesComeBackAndWriteTheRowsShown)
{
    const QString key = InsertContact({{"uname", "提醒"}});
    const struct { int kind; const char *text; bool byEnd; } cases[] = {
        {1, "3", false},         {1, "3", true},          {2, "2,1,0,0,0,1,0,0", true}, {2, "1,1,0,1,0,1,0,0", false},
        {2, "3,0,1,0,0,0,0,1", true}, {3, "1,31,2", false}, {3, "1,31,1", false},     {3, "0,3", true},
        {3, "0,2", true},        {4, "1,1,29", false},    {4, "0,11", false},         {4, "0,1", true}};
    const QDateTime start(QDate(2024, 1, 20), QTime(7, 45));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const QDateTime end = c.byEnd ? QDateTime(QDate(2026, 6, 30), QTime(0, 0)) : QDateTime();
        Tfrmsetuseralarm &dialog = Loaded(7, c.kind, c.text, end, start);
        EXPECT_TRUE(dialog.CheckBox5->isChecked());
        QDateTime gotStart, gotEnd;
        QString text;
        int kind = 0, count = 0;
        dialog.GetReminderSettings(gotStart, gotEnd, text, kind, count);
        EXPECT_EQ(QString::number(kind) + '|' + text, QString::number(c.kind) + '|' + QString::fromLatin1(c.text));
        EXPECT_TRUE(gotStart == start && gotEnd == end && (c.byEnd || count == 7)) << count;
        ASSERT_TRUE(dialog.GenerateOccurrences(key));
        const QStringList days = Days(key);
        // A weekly series to an end date writes all its days; the count shown stops at 100.
        ASSERT_EQ(c.kind == 2 && c.byEnd ? std::min<qsizetype>(days.size(), MaxOccurrences) : days.size(),
                  dialog.Edit2->value());
        const QString last = c.byEnd ? QString("2026-06-30") : dialog.activedate->date().toString(Qt::ISODate);
        EXPECT_TRUE(c.byEnd ? days.back() <= last : days.back() == last) << days.back().toStdString();
    }
}

// A stored monthly or yearly text of three parts names a day only with "1" in front.
TEST_F(ReminderDialog, OnlyALeadingOneNamesTheDayOfTheMonth)
{
    const QDateTime start(QDate(2024, 1, 1), QTime(9, 0));
    EXPECT_TRUE(Loaded(3, 3, "2,5,2", QDateTime(), start).monthRadioButton2->isChecked());
    EXPECT_TRUE(Loaded(3, 4, "2,3,5", QDateTime(), start).yearRadioButton2->isChecked());
}

TEST_F(ReminderDialog, CountAndEndDateFollowEachOther)
{
    Tfrmsetuseralarm &dialog = Loaded(4, 1, "2", QDateTime(), QDateTime(QDate(2024, 3, 1), QTime(9, 0)));
    EXPECT_EQ(dialog.activedate->date(), QDate(2024, 3, 7));
    dialog.Edit2->setValue(5);
    EXPECT_EQ(dialog.activedate->date(), QDate(2024, 3, 9));
    dialog.RadioButton10->setChecked(true);
    EXPECT_TRUE(!dialog.Edit2->isEnabled() && dialog.activedate->isEnabled());
    dialog.activedate->setDate(QDate(2024, 3, 31));
    EXPECT_EQ(dialog.Edit2->value(), 16);
    dialog.activedate->setDate(QDate(2024, 3, 1).addDays(200));
    EXPECT_EQ(dialog.Edit2->value(), 100);
    // The end never lies before the start.
    dialog.activedate->setDate(QDate(2024, 1, 1));
    EXPECT_TRUE(dialog.activedate->date() == QDate(2024, 3, 1) && dialog.Edit2->value() == 1);
    // A weekly series with no weekday gets the start's.
    dialog.RadioButton6->setChecked(true);
    for (QCheckBox *box : dialog.weekCBox)
        box->setChecked(false);
    EXPECT_TRUE(dialog.weekCBox[4]->isChecked()) << "1 March 2024 is a Friday";
}

TEST_F(ReminderDialog, WeeklySeriesRowsAndAFailedWriteKeepsTheOldRows)
{
    const QString key = InsertContact({{"uname", "周"}});
    const QString other = InsertContact({{"uname", "别人"}});
    Exec("insert into usertable (groupid,title) values (?,'保留'), (?,'旧的')", {other.toLongLong(), key.toLongLong()});
    clock.now = QDateTime(QDate(2024, 5, 6), QTime(12, 0));
    Tfrmsetuseralarm &dialog = Loaded(0, 2, "2,1,0,0,0,1,0,0", QDateTime(QDate(2024, 5, 31), QTime(0, 0)),
                                      QDateTime(QDate(2024, 5, 1), QTime(11, 0)));
    dialog.Edit1->setText("  请联系:周  ");
    ASSERT_TRUE(dialog.GenerateOccurrences(key));
    EXPECT_EQ(Days(key), (QStringList{"2024-05-03", "2024-05-06", "2024-05-17", "2024-05-20", "2024-05-31"}));
    EXPECT_EQ(Rows(key, "title||'|'||startdate||'|'||enddate||'|'||alarmtime")[0],
              "请联系:周|2024-05-03 00:00:00|2024-05-04 00:00:00|2024-05-03 11:00:00");
    // 11:00 on the 6th has passed at 12:00.
    EXPECT_EQ(Rows(key, "gqwtx"), (QStringList{"1", "1", "0", "0", "0"}));
    // A write that fails keeps the rows there were.
    const QStringList ids = Ids(key);
    Exec("create trigger full before insert on usertable when new.title='boom' begin select raise(abort,'full'); end");
    dialog.Edit1->setText("boom");
    EXPECT_TRUE(!dialog.GenerateOccurrences(key) && Ids(key) == ids);
    // Turned off, only this contact's rows go.
    ASSERT_TRUE(Loaded(0, 0, "", QDateTime(), QDateTime()).GenerateOccurrences(key));
    EXPECT_EQ(Column("select groupid from usertable"), QStringList{other});
}

// Monday to Friday through 2024: all 262 days are written, the Mondays first, then the Tuesdays
// and so on.
TEST_F(ReminderDialog, AWeeklySeriesWritesEveryDayOfItsRangeGroupedByWeekday)
{
    const QString key = InsertContact({{"uname", "工作日"}});
    const QDateTime end(QDate(2024, 12, 31), QTime(0, 0)), start(QDate(2024, 1, 1), QTime(9, 0));
    ASSERT_TRUE(Loaded(0, 2, "1,1,1,1,1,1,0,0", end, start).GenerateOccurrences(key));
    QStringList expected;
    for (int weekday = 1; weekday <= 5; ++weekday)
        for (QDate d = QDate(2024, 1, weekday); d.year() == 2024; d = d.addDays(7))
            expected << d.toString(Qt::ISODate);
    EXPECT_EQ(Column("select substr(startdate,1,10) from usertable where groupid=? order by id", {key.toLongLong()}),
              expected);
}

TEST_F(ReminderDialog, EditorWritesTheSeriesOnlyWhenItChanged)
{
    const QString key = InsertContact({{"uname", "王"}});
    Tfrmuseredit &editor = Open(key);
    TModalResponderOf<Tfrmsetuseralarm> responder;
    // A daily series of three rows from 2 May at the given time, chosen in the dialog.
    const auto choose = [&](QTime time) {
        responder.Then([time](Tfrmsetuseralarm *dialog) {
            EXPECT_EQ(dialog->Edit1->text(), "请联系:王");
            dialog->LoadReminderSettings(3, 1, "1", QDateTime(), QDateTime(QDate(2024, 5, 2), time));
            dialog->accept();
        });
        editor.Button3Click();
    };
    editor.Modified = false;
    choose(QTime(9, 30));
    EXPECT_TRUE(editor.Modified && editor.FieldText("uxy") == "请联系:王") << "a new series is a change to save";
    ASSERT_TRUE(editor.SaveContact());
    EXPECT_EQ(Days(key), (QStringList{"2024-05-02", "2024-05-03", "2024-05-04"}));
    EXPECT_EQ(Rows(key, "alarmtime")[0], "2024-05-02 09:30:00");
    EXPECT_EQ(Field(key, "txstarttime||'|'||txlevel||'|'||txxhcs||'|'||txdaystr||'|'||ifnull(txendtime,'null')"),
              "2024-05-02 09:30:00|1|3|1|null");
    const QStringList ids = Ids(key);
    editor.SetFieldText("umtel", "1");
    ASSERT_TRUE(editor.SaveContact());
    EXPECT_EQ(Ids(key), ids) << "an unchanged series leaves its rows alone";
    choose(QTime(9, 30));
    ASSERT_TRUE(editor.SaveContact());
    EXPECT_EQ(Ids(key), ids);
    choose(QTime(16, 0));
    ASSERT_TRUE(editor.SaveContact());
    EXPECT_NE(Ids(key), ids);
    EXPECT_EQ(Rows(key, "alarmtime")[0], "2024-05-02 16:00:00") << "a new time of day is written";
    // Reopened, the dialog shows the stored series; cancelling it or saving without touching
    // it writes nothing.
    const QStringList later = Ids(key);
    Tfrmuseredit &reopened = Open(key);
    responder.Then([](Tfrmsetuseralarm *dialog) {
        EXPECT_TRUE(dialog->CheckBox5->isChecked() && dialog->RadioButton5->isChecked());
        EXPECT_EQ(dialog->Edit2->value(), 3);
        EXPECT_EQ(QDateTime(dialog->activedate->date(), dialog->DateTimePicker1->time()),
                  QDateTime(QDate(2024, 5, 4), QTime(16, 0))) << "the last of three rows";
        dialog->reject();
    });
    reopened.Modified = false;
    reopened.Button3Click();
    EXPECT_EQ(responder.Pending(), 0);
    EXPECT_FALSE(reopened.Modified) << "a cancelled dialog changes nothing";
    ASSERT_TRUE(reopened.SaveContact());
    EXPECT_EQ(Ids(key), later);
}

} // namespace

namespace {

// A calendar page that reads the plan rows of one contact whenever its month is loaded, through
// the account's connection as the real page does.
class MonthReads final : public QWidget, public ICalendarPage
{
public:
    MonthReads(QWidget *parent, std::function<QStringList()> read) : QWidget(parent), read_(std::move(read)) {}
    QWidget *PageWidget() override { return this; }
    void LoadMonth(bool) override { seen << read_().join(','); }
    void LoadTodayTree() override {}
    QStringList seen;

private:
    std::function<QStringList()> read_;
};

} // namespace

// A save that fails after its reminder rows were written undoes them; no month loaded meanwhile
// shows them, and the month is read again once they are gone.
TEST_F(ReminderDialog, TheMonthShowsOnlyKeptReminderRows)
{
    const QString key = InsertContact({{"uname", "王"}});
    Exec("insert into userplaces (placename) values ('A')");
    Exec("create trigger refuse_link before insert on userlinkplace begin select raise(abort, 'refused'); end");
    MonthReads *page = nullptr;
    CalendarPageFactory = [&](QWidget *parent) { return page = new MonthReads(parent, [this, key] { return Days(key); }); };
    std::map<int, THotKey> hotKeys;
    auto main = std::make_unique<Tfrmmain>(std::make_unique<RecordingHotKeys>(&hotKeys));
    main->ShowCalendarPage();
    ASSERT_NE(page, nullptr);
    Tfrmuseredit &editor = Open(key);
    editor.Edit1->setText("A");
    TModalResponderOf<Tfrmsetuseralarm> responder;
    responder.Then([](Tfrmsetuseralarm *dialog) {
        dialog->LoadReminderSettings(2, 1, "1", QDateTime(), QDateTime(QDate(2024, 5, 2), QTime(9, 30)));
        dialog->accept();
    });
    editor.Button3Click();
    page->seen.clear();
    EXPECT_FALSE(editor.SaveContact());
    EXPECT_TRUE(Days(key).isEmpty());
    EXPECT_EQ(page->seen, QStringList{QString()}) << "read once, after the rows were undone";
    Exec("drop trigger refuse_link");
    page->seen.clear();
    ASSERT_TRUE(editor.SaveContact());
    EXPECT_EQ(page->seen, QStringList{"2024-05-02,2024-05-03"});
    main.reset();
    CalendarPageFactory = nullptr;
}
