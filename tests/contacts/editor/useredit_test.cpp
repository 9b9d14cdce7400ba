// Loading and saving contacts in the editor.

#include "contacts/editor/setuseralarm.h"

#include "editor/EditorTestSupport.h"

#include <QTabWidget>
#include <QToolButton>

namespace {

const QChar Sep(0x18);

using EditorLoadSave = EditorTest;

// A new contact takes the place of the browser's selected group, else the top level; a second
// save edits the same row and renews its node. The level is the item's index; a form emptied of
// every input (-1) saves the middle level, never -1.
TEST_F(EditorLoadSave, NewContactTakesTheSelectedGroupsPlace)
{
    const struct { bool hasBrowser; TNodePlace place; QString row; int level; } cases[] = {
        {true, {5, 3, 4}, "534", 0}, {true, {}, "010", 4}, {false, {}, "010", -1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.row.toStdString() + (c.hasBrowser ? "" : " without a browser"));
        withBrowser = c.hasBrowser;
        browser = RecordingBrowser{};
        browser.place = c.place;
        Tfrmusereditdlg editor;  // the modal editor saves as the tabbed one does
        editor.LoadContact(QString());
        if (c.level < 0)
            ClearInputControls(editor.userPageControl);
        else
            editor.ulevel->setCurrentIndex(c.level);
        editor.SetFieldText("uname", "  张三丰 ");
        ASSERT_TRUE(editor.SaveContact());
        const QString key = editor.usrkeyid->text();
        const QString level = QString::number(c.level < 0 ? 2 : c.level);
        EXPECT_EQ(Field(key, "nodeparentkey||nodelevel||nodeindex||nodetype||readcount||kzfield2||'|'||"
                             "inserttime||'|'||updatetime||'|'||uname||'|'||kzfield1||'|'||ulevel"),
                  c.row + "212|2024-05-01 08:30:00|2024-05-01 08:30:00|  张三丰 |ZSF|" + level);
        editor.SetFieldText("umtel", "139");
        ASSERT_TRUE(editor.SaveContact());
        EXPECT_EQ(Count("userinfo", "uname=?", {"  张三丰 "}), 1);
        Exec("delete from userinfo");
        EXPECT_EQ(browser.shownNew + browser.updated, c.hasBrowser ? (QStringList{key, key}) : QStringList{});
    }
}

TEST_F(EditorLoadSave, RoundTripKeepsEveryValue)
{
    const QString linkuser = QString("12=张三") + Sep + "7=John Smith" + Sep;
    const QString key = InsertContact({
        {"uname", "李四"}, {"text30", "李"}, {"text44", "四"}, {"uxb", "男"}, {"ulevel", 3}, {"uhsr", "1985-03-07"},
        {"udtfmt", "阴历"}, {"uisalart", 1}, {"ujhjnr", "2010-10-01"}, {"jnrtx", 1}, {"linkuser", linkuser},
        {"uemail", "li@si.cn"}, {"ufz", "第一行\n第二行"}, {"field7", "自定义值"}, {"text29", "担心"}, {"uxy", "记得"},
        {"text3", "蒙古族"}, {"readcount", 4}, {"inserttime", "2020-01-02 03:04:05"}, {"kzfield1", "old"},
        {"activenewtime", "2023-06-07 10:00:00"}, {"txstarttime", "2024-05-02 09:15:00"}, {"txxhcs", 3},
        {"txlevel", 1}, {"txdaystr", "2"}, {"alarmtime", "2024-05-02 09:15:00"},
    });
    ASSERT_TRUE(RunQuery(query.get(), "select * from userinfo where keyid=?", {key.toLongLong()}));
    const QStringList columns = query->FieldNames();
    std::map<QString, QString> before;
    for (const QString &column : columns)
        before[column] = query->FieldByName(column).AsString();
    // Whatever the form failed to show would be written back changed.
    Tfrmuseredit &editor = Open(key);
    EXPECT_FALSE(editor.ContactMissing || editor.Modified);
    clock.now = QDateTime(QDate(2024, 6, 1), QTime(12, 0));
    ASSERT_TRUE(editor.SaveContact());
    ASSERT_TRUE(RunQuery(query.get(), "select * from userinfo where keyid=?", {key.toLongLong()}));
    before["readcount"] = "5";
    before["updatetime"] = "2024-06-01 12:00:00";
    before["kzfield1"] = "LS";
    for (const QString &column : columns)
        EXPECT_EQ(query->FieldByName(column).AsString(), before[column]) << column.toStdString();
}

TEST_F(EditorLoadSave, AFailedRowLookupIsReportedAsFailure)
{
    Tfrmuseredit &editor = Open(QString());
    editor.SetFieldText("uname", "孙七");
    editor.Modified = true;
    data->dbConnection->Close();
    EXPECT_FALSE(editor.SaveContact());
    EXPECT_TRUE(TestDialogs().Texts() == QStringList{"保存失败！"} && editor.Modified);
}

TEST_F(EditorLoadSave, BirthdayPickerAndStoredText)
{
    const struct { const char *stored; bool checked; QDate shown; const char *savedUntouched; } cases[] = {
        {"1980-01-05", true, QDate(1980, 1, 5), "1980-01-05"}, {"1980-1-5", true, QDate(1980, 1, 5), "1980-01-05"},
        {"", false, QDate(2024, 5, 1), ""},                     {"明年春天", false, QDate(2024, 5, 1), "明年春天"},
        {"1980-13-45", false, QDate(2024, 5, 1), "1980-13-45"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored);
        const QString key = InsertContact({{"uname", "生日"}, {"uhsr", c.stored}, {"ujhjnr", c.stored}});
        Tfrmuseredit &editor = Open(key);
        EXPECT_EQ(editor.DateTimePicker1->Date(), c.shown);
        EXPECT_TRUE(editor.DateTimePicker1->Checked() == c.checked && editor.seldate2->Checked() == c.checked);
        ASSERT_TRUE(editor.SaveContact());
        EXPECT_EQ(Field(key, "uhsr||'|'||ujhjnr"), QString(c.savedUntouched) + '|' + c.savedUntouched);
        // Once the user sets the picker, its date is what is written.
        editor.DateTimePicker1->SetChecked(true);
        editor.DateTimePicker1->SetDate(QDate(1990, 8, 15));
        editor.seldate2->SetChecked(false);
        ASSERT_TRUE(editor.SaveContact());
        EXPECT_EQ(Field(key, "uhsr||'|'||ujhjnr"), QString("1990-08-15|") + (c.checked ? "" : c.savedUntouched));
    }
}

TEST_F(EditorLoadSave, ABadValueDoesNotSkipThePhotoOrTheLists)
{
    const QByteArray jpeg = TwoColourJpeg(40, 20);
    const QString key = InsertContact({{"uname", "坏值"}, {"ulevel", "x"}, {"txstarttime", "garbage"},
                                       {"readcount", "many"}, {"mypic", jpeg}, {"pictype", "jpg"},
                                       {"linkuser", QString("3=Jo") + Sep}});
    Exec("insert into useraction (useruid,titlemsg,typestr,createdate) values (?,?,?,?)",
         {key.toLongLong(), "记录", "活动", "2024-01-01 00:00:00"});
    Tfrmuseredit &editor = Open(key);
    EXPECT_TRUE(editor.HasPhoto() && !editor.ReminderRule.Start.isValid());
    EXPECT_TRUE(editor.ulevel->currentIndex() == 2 && editor.ListView2->topLevelItemCount() == 1);
    EXPECT_EQ(editor.RelationList, QStringList{"3=Jo"});
}

TEST_F(EditorLoadSave, TwoEditorsEachSaveTheirOwnPhoto)
{
    const QString dir = MakeTempDir("photos");
    const QString names[] = {"red.jpg", "blue.JPG"};
    const QRgb colours[] = {qRgb(230, 20, 20), qRgb(20, 20, 230)};
    QByteArray bytes[2];
    Tfrmuseredit &first = Open(QString()), &second = Open(QString());
    Tfrmuseredit *editors[] = {&first, &second};
    // Both photos are chosen before either editor saves.
    for (int i = 0; i < 2; ++i) {
        QImage image(30, 30, QImage::Format_RGB32);
        image.fill(colours[i]);
        bytes[i] = EncodeJpeg(image, 30, 30, JpegKind::Rgb);
        WriteBytes(dir + '/' + names[i], bytes[i]);
        editors[i]->SetFieldText("uname", names[i]);
        TestDialogs().AnswerText(dir + '/' + names[i]);
        editors[i]->N1Click();
    }
    EXPECT_TRUE(first.Modified && first.HasPhoto() && first.SpeedButton1->isHidden());
    ASSERT_TRUE(second.SaveContact());
    ASSERT_TRUE(first.SaveContact());
    for (int i = 0; i < 2; ++i) {
        const QString key = editors[i]->usrkeyid->text();
        EXPECT_EQ(Value("select mypic from userinfo where keyid=?", {key.toLongLong()}).toByteArray(), bytes[i]) << i;
        EXPECT_EQ(Field(key, "pictype"), "jpg") << i;
    }
    // Shown again: the photo is drawn into its 80 × 80 box.
    Tfrmuseredit &reopened = Open(first.usrkeyid->text());
    ASSERT_TRUE(reopened.HasPhoto());
    const QImage shown = reopened.Image5->pixmap().toImage();
    EXPECT_EQ(shown.size(), QSize(80, 80));
    EXPECT_TRUE(IsReddish(shown.pixel(38, 38)) && shown.pixel(78, 78) == qRgb(255, 255, 255));
}

// Removing the photo keeps its bytes; a photo that cannot be decoded is kept as it is.
TEST_F(EditorLoadSave, PhotoBytesSurvive)
{
    for (bool remove : {true, false}) {
        const QByteArray bytes = remove ? TwoColourJpeg(20, 20) : QByteArray("\x00\x01not a known picture", 21);
        const QString type = remove ? "jpg" : "tif";
        const QString key = InsertContact({{"uname", "照片"}, {"mypic", bytes}, {"pictype", type}});
        Tfrmuseredit &editor = Open(key);
        ASSERT_TRUE(editor.HasPhoto());
        if (remove) {
            editor.N3Click();
            EXPECT_FALSE(editor.HasPhoto() || editor.SpeedButton1->isHidden());
        }
        ASSERT_TRUE(editor.SaveContact());
        EXPECT_EQ(Field(key, "pictype"), remove ? "" : type);
        EXPECT_EQ(Value("select mypic from userinfo where keyid=?", {key.toLongLong()}).toByteArray(), bytes);
        EXPECT_EQ(Open(key).HasPhoto(), !remove) << "the bytes come back as the photo";
    }
}

// Quotes are stored verbatim; a tag linked twice is shown once.
TEST_F(EditorLoadSave, QuotesAreStoredVerbatim)
{
    Tfrmuseredit &editor = Open(QString());
    editor.SetFieldText("uname", "O\"Neil 'x'");
    editor.Edit1->setText("t\"1");
    TestDialogs().AnswerMessage(MsgResult::Yes);
    ASSERT_TRUE(editor.SaveContact());
    const QString key = editor.usrkeyid->text();
    EXPECT_EQ(Field(key, "uname"), "O\"Neil 'x'");
    EXPECT_EQ(Text("select placename from userlinkplace where keyid=?", {key.toLongLong()}), "t\"1");
    EXPECT_EQ(Text("select placename from userplaces"), "t\"1");
    Exec("insert into userplaces (placename) values ('朋友')");
    Exec("insert into userlinkplace (keyid,placename) values (?, '朋友'), (?, 't\"1')",
         {key.toLongLong(), key.toLongLong()});
    EXPECT_EQ(Open(key).Edit1->text(), "t\"1 朋友 ");
}

// Values far longer than a line edit keeps by default come back whole from a load and an
// unchanged save, in every kind of field, and the reminder message made of them too.
TEST_F(EditorLoadSave, LongValuesAreKeptWhole)
{
    const QStringList columns = {"uname", "text30", "uemail", "uxb", "ufz", "uxy"};
    std::map<QString, QVariant> row;
    for (const QString &column : columns)
        row[column] = QString(100000, QChar(u'长')) + column;
    const QString key = InsertContact(row);
    Tfrmuseredit &editor = Open(key);
    // Compared whole, reported by length: the texts are too long to print.
    const auto kept = [&](const QString &column, const QString &text) {
        EXPECT_TRUE(text == row[column].toString()) << column.toStdString() << " has " << text.size() << " characters";
    };
    for (const QString &column : columns)
        kept(column, editor.FieldText(column));
    TModalResponderOf<Tfrmsetuseralarm> responder;
    responder.Then([](Tfrmsetuseralarm *dialog) {
        dialog->LoadReminderSettings(1, 1, "1", QDateTime(), QDateTime(QDate(2024, 5, 2), QTime(9, 30)));
        dialog->accept();
    });
    editor.Button3Click();
    ASSERT_TRUE(editor.SaveContact());
    for (const QString &column : columns)
        kept(column, Field(key, column));
    kept("uxy", Text("select title from usertable where groupid=?", {key.toLongLong()}));
}

} // namespace
