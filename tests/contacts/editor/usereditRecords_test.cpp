// The records list (activities, attachments) and the photo album of the editor.
#include "contacts/editor/setfile.h"
#include "contacts/editor/useractmsg.h"
#include "contacts/editor/useredit.h"

#include "editor/EditorTestSupport.h"
#include "main/MainTestSupport.h"
#include "PictureTestData.h"

#include <QApplication>
#include <QDateTimeEdit>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QTreeWidget>

namespace {

class EditorRecords : public EditorTest
{
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        key = InsertContact({{"uname", "记录人"}});
        dir = MakeTempDir("records");
    }

    QString WriteFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir + '/' + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    static QByteArray ReadFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Adds an attachment through the file dialog and the store-or-link dialog.
    void AddAttachment(Tfrmuseredit &editor, const QString &path, bool stored)
    {
        ModalResponder responder;
        responder.Then([stored](QDialog *dialog) {
            auto *setfile = static_cast<Tfrmsetfile *>(dialog);
            (stored ? setfile->RadioButton1 : setfile->RadioButton2)->setChecked(true);
            setfile->accept();
        });
        TestDialogs().AnswerText(path);
        editor.N74Click();
        EXPECT_EQ(responder.Pending(), 0);
    }

    void AddActivity(Tfrmuseredit &editor, const QString &text, const QDateTime &date)
    {
        ModalResponder responder;
        responder.Then([&](QDialog *dialog) {
            auto *message = static_cast<Tfrmuseractmsg *>(dialog);
            EXPECT_EQ(frmuseractmsg, message);
            message->Memo1->setPlainText(text);
            message->DateTimePicker1->setDateTime(date);
            message->accept();
        });
        editor.N73Click();
        EXPECT_EQ(responder.Pending(), 0);
        EXPECT_EQ(frmuseractmsg, nullptr);
    }

    QStringList Row(Tfrmuseredit &editor, int index)
    {
        QTreeWidgetItem *item = editor.ListView2->topLevelItem(index);
        return item ? QStringList{item->text(0), item->text(1), item->text(2)} : QStringList{};
    }

    void Select(Tfrmuseredit &editor, int index)
    {
        editor.ListView2->setCurrentItem(editor.ListView2->topLevelItem(index));
    }

    QString key;
    QString dir;
};

TEST_F(EditorRecords, ActivityShowsItsTypeBeforeAndAfterReload)
{
    Tfrmuseredit &editor = Open(key);
    clock.now = QDateTime(QDate(2024, 5, 2), QTime(9, 0));
    AddActivity(editor, "  打电话 \"问候\" ", QDateTime(QDate(2024, 4, 30), QTime(14, 5, 6)));
    EXPECT_EQ(Row(editor, 0), (QStringList{"打电话 \"问候\"", "活动", "2024-04-30 14:05:06"}));
    EXPECT_TRUE(editor.Modified);
    ASSERT_TRUE(editor.SaveContact());
    EXPECT_EQ(Text("select activenewtime from userinfo where keyid=?", {key.toLongLong()}), "2024-05-02 09:00:00");

    Tfrmuseredit &reopened = Open(key);
    EXPECT_EQ(Row(reopened, 0), (QStringList{"打电话 \"问候\"", "活动", "2024-04-30 14:05:06"}));
}

TEST_F(EditorRecords, CancelledActivityAddsNothing)
{
    Tfrmuseredit &editor = Open(key);
    ModalResponder responder;
    responder.Then([](QDialog *dialog) { dialog->reject(); });
    editor.N73Click();
    EXPECT_EQ(editor.ListView2->topLevelItemCount(), 0);
    EXPECT_FALSE(editor.Modified);
}

TEST_F(EditorRecords, AttachmentsStoredAndLinked)
{
    const QString stored = WriteFile("合同.pdf", "PDF bytes");
    const QString linked = WriteFile("link.txt", "linked");
    Tfrmuseredit &editor = Open(key);
    AddAttachment(editor, stored, true);
    AddAttachment(editor, linked, false);
    EXPECT_EQ(Row(editor, 0), (QStringList{"合同.pdf", "附件", "2024-05-01 08:30:00"}));
    EXPECT_EQ(Row(editor, 1), (QStringList{"link.txt", "附件链接", "2024-05-01 08:30:00"}));
    ASSERT_TRUE(editor.SaveContact());

    ASSERT_TRUE(RunQuery(query.get(), "select * from useraction where useruid=? order by id", {key.toLongLong()}));
    ASSERT_EQ(query->RecordCount(), 2);
    query->First();
    EXPECT_EQ(query->FieldByName("typeint").AsInteger(), 11);
    EXPECT_EQ(query->FieldByName("typestr").AsString(), "附件");
    EXPECT_EQ(query->FieldByName("titlemsg").AsString(), stored);
    EXPECT_EQ(query->FieldByName("fjfile").AsBlob(), QByteArray("PDF bytes"));
    query->Next();
    EXPECT_EQ(query->FieldByName("typeint").AsInteger(), 10);
    EXPECT_EQ(query->FieldByName("typestr").AsString(), "附件");
    EXPECT_EQ(query->FieldByName("titlemsg").AsString(), linked);
    EXPECT_TRUE(query->FieldByName("fjfile").IsNull());

    Tfrmuseredit &reopened = Open(key);
    EXPECT_EQ(Row(reopened, 0)[1], "附件");
    EXPECT_EQ(Row(reopened, 1), (QStringList{"link.txt", "附件链接", "2024-05-01 08:30:00"}));
}

TEST_F(EditorRecords, SavingTwiceWritesEachRowOnce)
{
    const QString file = WriteFile("a.doc", "doc");
    const QString picture = WriteFile("p.jpg", TwoColourJpeg(20, 10));
    Tfrmuseredit &editor = Open(key);
    AddActivity(editor, "见面", QDateTime(QDate(2024, 1, 1), QTime(8, 0)));
    AddAttachment(editor, file, true);
    TestDialogs().AnswerText(picture);
    editor.ToolButton72Click();
    for (int save = 0; save < 3; ++save)
        ASSERT_TRUE(editor.SaveContact());
    EXPECT_EQ(Count("useraction", "useruid=?", {key.toLongLong()}), 2);
    EXPECT_EQ(Count("userpic", "useruid=?", {key.toLongLong()}), 1);
    // The ids are the written rows': opening the stored attachment finds its bytes.
    EXPECT_NE(editor.RecordOf(1)->id, "0");
    EXPECT_EQ(Text("select titlemsg from useraction where id=?", {editor.RecordOf(0)->id.toLongLong()}), "见面");
}

TEST_F(EditorRecords, AnAttachmentThatCannotBeReadFailsTheSaveAndStaysPending)
{
    const QString file = WriteFile("gone.txt", "x");
    Tfrmuseredit &editor = Open(key);
    AddActivity(editor, "保留", QDateTime(QDate(2024, 1, 1), QTime(8, 0)));
    AddAttachment(editor, file, true);
    QFile::remove(file);
    EXPECT_FALSE(editor.SaveContact());
    // The message names the file, so the user knows which record to remove.
    EXPECT_EQ(TestDialogs().Last()->text, "保存失败！\n无法读取附件：" + file);
    EXPECT_TRUE(editor.Modified);
    EXPECT_EQ(Count("useraction"), 0) << "the records are written together or not at all";
    EXPECT_EQ(editor.RecordOf(0)->id, "0");
}

TEST_F(EditorRecords, EditingAnActivityKeepsItsDate)
{
    Exec("insert into useraction (useruid,titlemsg,typestr,createdate) values (?,?,?,?)",
         {key.toLongLong(), "旧内容", "活动", "2020-01-02 03:04:05"});
    clock.now = QDateTime(QDate(2024, 5, 9), QTime(10, 0));
    Tfrmuseredit &editor = Open(key);
    Select(editor, 0);
    ModalResponder responder;
    responder.Then([](QDialog *dialog) {
        auto *message = static_cast<Tfrmuseractmsg *>(dialog);
        EXPECT_EQ(message->Memo1->toPlainText(), "旧内容");
        EXPECT_EQ(message->DateTimePicker1->dateTime(), QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)));
        message->Memo1->setPlainText("新内容");
        message->accept();
    });
    editor.ListView2DblClick();
    EXPECT_EQ(Row(editor, 0), (QStringList{"新内容", "活动", "2020-01-02 03:04:05"}));
    EXPECT_TRUE(editor.Modified);
    ASSERT_TRUE(editor.SaveContact());
    EXPECT_EQ(Text("select titlemsg from useraction"), "新内容");
    EXPECT_EQ(Text("select createdate from useraction"), "2020-01-02 03:04:05");
    EXPECT_EQ(Count("useraction"), 1);
}

TEST_F(EditorRecords, OpeningAStoredAttachmentOpensACopy)
{
    Exec("insert into useraction (useruid,titlemsg,typestr,typeint,createdate,fjfile) values (?,?,?,?,?,?)",
         {key.toLongLong(), "D:\\old\\报告.txt", "附件", 11, "2020-01-01 00:00:00", QByteArray("report")});
    Tfrmuseredit &editor = Open(key);
    EXPECT_EQ(Row(editor, 0)[0], "报告.txt") << "old Windows paths split at the backslash";
    Select(editor, 0);
    editor.ListView2DblClick();
    ASSERT_EQ(TestShell().opened.size(), 1);
    const QString copy = TestShell().opened[0];
    EXPECT_TRUE(copy.startsWith(AppDir() + "temp/")) << copy.toStdString();
    EXPECT_TRUE(copy.endsWith("/报告.txt"));
    EXPECT_EQ(ReadFile(copy), "report");

    // Another window writes into a folder of its own.
    Tfrmuseredit &other = Open(key);
    EXPECT_NE(other.TempFolder(), editor.TempFolder());
}

TEST_F(EditorRecords, OpeningAMissingLinkSaysSo)
{
    Exec("insert into useraction (useruid,titlemsg,typestr,typeint,createdate) values (?,?,?,?,?)",
         {key.toLongLong(), dir + "/nowhere.txt", "附件", 10, "2020-01-01 00:00:00"});
    Tfrmuseredit &editor = Open(key);
    Select(editor, 0);
    editor.ListView2DblClick();
    EXPECT_EQ(TestDialogs().Texts(), QStringList{"打开失败!文件不存在。"});
    EXPECT_TRUE(TestShell().opened.isEmpty());
}

TEST_F(EditorRecords, ExportingAttachments)
{
    const QString source = WriteFile("plan.txt", "linked plan");
    Exec("insert into useraction (useruid,titlemsg,typestr,typeint,createdate,fjfile) values (?,?,?,?,?,?)",
         {key.toLongLong(), "/elsewhere/Notes.TXT", "附件", 11, "2020-01-01 00:00:00", QByteArray("stored notes")});
    Exec("insert into useraction (useruid,titlemsg,typestr,typeint,createdate) values (?,?,?,?,?)",
         {key.toLongLong(), source, "附件", 10, "2020-01-02 00:00:00"});
    Exec("insert into useraction (useruid,titlemsg,typestr,createdate) values (?,?,?,?)",
         {key.toLongLong(), "活动内容", "活动", "2020-01-03 00:00:00"});
    Tfrmuseredit &editor = Open(key);

    // A stored row: the account's bytes, the source's extension appended to a bare name.
    Select(editor, 0);
    TestDialogs().AnswerText(dir + "/copy");
    editor.userm02Click();
    EXPECT_EQ(ReadFile(dir + "/copy.txt"), "stored notes");

    // An existing target: No keeps it, Yes replaces it.
    TestDialogs().AnswerText(dir + "/copy.txt");
    TestDialogs().AnswerMessage(MsgResult::No);
    Select(editor, 1);
    editor.userm02Click();
    EXPECT_EQ(TestDialogs().Last()->text, "文件已经存在，覆盖吗？");
    EXPECT_EQ(ReadFile(dir + "/copy.txt"), "stored notes");
    TestDialogs().AnswerText(dir + "/copy.txt");
    TestDialogs().AnswerMessage(MsgResult::Yes);
    editor.userm02Click();
    EXPECT_EQ(ReadFile(dir + "/copy.txt"), "linked plan") << "a link exports its source";

    // A full disk: the copy already there stays whole and the user hears of it.
    Select(editor, 0);
    TestDialogs().AnswerText(dir + "/copy.txt");
    TestDialogs().AnswerMessage(MsgResult::Yes);
    {
        FileSizeLimit full(4);
        editor.userm02Click();
    }
    EXPECT_EQ(TestDialogs().Last()->text, "保存失败!");
    EXPECT_EQ(ReadFile(dir + "/copy.txt"), "linked plan");
    Select(editor, 1);

    // A link whose source is gone fails, and says so.
    QFile::remove(source);
    TestDialogs().AnswerText(dir + "/again.txt");
    editor.userm02Click();
    EXPECT_EQ(TestDialogs().Last()->text, "保存失败!");
    EXPECT_FALSE(QFile::exists(dir + "/again.txt"));

    // An activity has no file to save: the command is not offered and does nothing.
    Select(editor, 2);
    editor.Command("PopupMenu4")->Popup();
    EXPECT_FALSE(editor.userm02->Visible());
    const size_t asked = TestDialogs().Questions().size();
    editor.userm02Click();
    EXPECT_EQ(TestDialogs().Questions().size(), asked);
    Select(editor, 0);
    editor.Command("PopupMenu4")->Popup();
    EXPECT_TRUE(editor.userm02->Visible());
}

TEST_F(EditorRecords, DeletingRowsAsksNothing)
{
    for (const char *type : {"活动", "任务", "附件"})
        Exec("insert into useraction (useruid,titlemsg,typestr,createdate) values (?,?,?,?)",
             {key.toLongLong(), QString::fromUtf8(type), QString::fromUtf8(type), "2020-01-01 00:00:00"});
    Tfrmuseredit &editor = Open(key);
    ASSERT_EQ(editor.ListView2->topLevelItemCount(), 3);
    EXPECT_EQ(Row(editor, 1)[1], "任务");
    for (int left = 3; left > 0; --left) {
        Select(editor, 0);
        editor.userm03Click();
        EXPECT_EQ(editor.ListView2->topLevelItemCount(), left - 1);
        EXPECT_EQ(Count("useraction"), left - 1);
    }
    EXPECT_TRUE(TestDialogs().Questions().empty());
    EXPECT_FALSE(editor.Modified);

    Tfrmuseredit &reopened = Open(key);
    EXPECT_EQ(reopened.ListView2->topLevelItemCount(), 0) << "a deleted task does not come back";
}

TEST_F(EditorRecords, AlbumAddShowSaveAndDelete)
{
    const QString wide = WriteFile("wide.jpg", TwoColourJpeg(400, 100));
    const QString tall = WriteFile("tall.png", QByteArray());
    {
        QImage image(100, 400, QImage::Format_RGB32);
        image.fill(Qt::green);
        ASSERT_TRUE(image.save(tall, "PNG"));
    }
    Tfrmuseredit &editor = Open(key);
    editor.resize(718, 671);
    editor.show();
    editor.userPageControl->setCurrentWidget(editor.TabSheet6);
    QApplication::processEvents();
    const QSize box = editor.ScrollBox1->viewport()->size();

    TestDialogs().AnswerText(wide);
    editor.ToolButton72Click();
    TestDialogs().AnswerText(tall);
    editor.ToolButton72Click();
    EXPECT_TRUE(editor.Modified);
    ASSERT_EQ(editor.userpiclistview->count(), 2);
    EXPECT_EQ(editor.userpiclistview->currentRow(), 1);
    EXPECT_EQ(editor.ShownPictureSize(), FitToScrollBox(100, 400, box.width(), box.height()));
    editor.ToolButton63Click();
    EXPECT_EQ(editor.userpiclistview->currentRow(), 0);
    EXPECT_EQ(editor.ShownPictureSize(), QSize(box.width() - 2, 100 * (box.width() - 2) / 400));
    editor.ToolButton63Click();
    EXPECT_EQ(editor.userpiclistview->currentRow(), 0);
    editor.ToolButton66Click();
    EXPECT_EQ(editor.ShownPictureSize(), QSize(400, 100));
    editor.ToolButton77Click();
    EXPECT_EQ(editor.ShownPictureSize().width(), box.width() - 2);
    editor.ToolButton64Click();
    editor.ToolButton64Click();
    EXPECT_EQ(editor.userpiclistview->currentRow(), 1);

    ASSERT_TRUE(editor.SaveContact());
    ASSERT_TRUE(RunQuery(query.get(), "select titlemsg,filename,fjfile from userpic order by id"));
    ASSERT_EQ(query->RecordCount(), 2);
    query->First();
    EXPECT_EQ(query->FieldByName("titlemsg").AsString(), "wide.jpg");
    EXPECT_EQ(query->FieldByName("filename").AsString(), wide);
    EXPECT_EQ(query->FieldByName("fjfile").AsBlob(), ReadFile(wide));

    Tfrmuseredit &reopened = Open(key);
    ASSERT_EQ(reopened.userpiclistview->count(), 2);
    EXPECT_EQ(reopened.PhotoOf(0)->width, 400);
    EXPECT_EQ(reopened.PhotoOf(1)->height, 400);
    reopened.userpiclistview->setCurrentRow(0);
    reopened.ToolButton75Click();
    EXPECT_EQ(reopened.userpiclistview->count(), 1);
    EXPECT_EQ(Count("userpic"), 1);
    EXPECT_FALSE(reopened.Modified);
    EXPECT_EQ(TestDialogs().Questions().size(), 2u) << "deleting asks nothing";
}

TEST_F(EditorRecords, ThumbnailsAreFramedBySelection)
{
    const QString picture = WriteFile("p.jpg", TwoColourJpeg(200, 100));
    Tfrmuseredit &editor = Open(key);
    TestDialogs().AnswerText(picture);
    editor.ToolButton72Click();
    TestDialogs().AnswerText(picture);
    editor.ToolButton72Click();
    editor.userpiclistview->setCurrentRow(1);
    editor.show();
    editor.userPageControl->setCurrentWidget(editor.TabSheet6);
    QApplication::processEvents();
    const QImage image = editor.userpiclistview->viewport()->grab().toImage();
    const QRect first = editor.userpiclistview->visualItemRect(editor.userpiclistview->item(0)).adjusted(1, 1, -1, -1);
    const QRect second = editor.userpiclistview->visualItemRect(editor.userpiclistview->item(1)).adjusted(1, 1, -1, -1);
    EXPECT_EQ(image.pixel(first.left() + 20, first.top()), qRgb(192, 192, 192));
    EXPECT_EQ(image.pixel(second.left() + 20, second.top()), qRgb(0, 0, 255));
    // The thumbnail sits in the middle of the item.
    EXPECT_TRUE(IsReddish(image.pixel(first.center().x() - 20, first.center().y() - 2)));
    EXPECT_TRUE(IsBluish(image.pixel(first.center().x() + 20, first.center().y() - 2)));
}

TEST_F(EditorRecords, APictureChosenOnAHiddenPageFitsWhenShown)
{
    Exec("insert into userpic (useruid,titlemsg,filename,fjfile) values (?,'w.jpg','w.jpg',?)",
         {key.toLongLong(), TwoColourJpeg(1000, 250)});
    Tfrmuseredit &editor = Open(key);
    editor.show();
    QApplication::processEvents();
    editor.userpiclistview->setCurrentRow(0);
    editor.userPageControl->setCurrentWidget(editor.TabSheet6);
    QApplication::processEvents();
    const QSize box = editor.ScrollBox1->viewport()->size();
    EXPECT_EQ(editor.ShownPictureSize(), FitToScrollBox(1000, 250, box.width(), box.height()));
    editor.ToolButton66Click();
    editor.userPageControl->setCurrentIndex(0);
    editor.userPageControl->setCurrentWidget(editor.TabSheet6);
    EXPECT_EQ(editor.ShownPictureSize(), QSize(1000, 250)) << "the actual size stays chosen";
}

TEST_F(EditorRecords, AlbumRowsWithoutBytesAreSkipped)
{
    Exec("insert into userpic (useruid,titlemsg,filename) values (?,'empty.jpg','empty.jpg')", {key.toLongLong()});
    Exec("insert into userpic (useruid,titlemsg,filename,fjfile) values (?,'bad.jpg','bad.jpg',?)",
         {key.toLongLong(), QByteArray("\xFF\xD8\xFF\x00broken", 10)});
    Tfrmuseredit &editor = Open(key);
    ASSERT_EQ(editor.userpiclistview->count(), 1);
    EXPECT_EQ(editor.PhotoOf(0)->name, "bad.jpg");
    EXPECT_TRUE(editor.userpiclistview->item(0)->data(Qt::UserRole).isNull()) << "no thumbnail for a broken picture";
}

TEST_F(EditorRecords, PhotoExport)
{
    const QByteArray jpeg = TwoColourJpeg(20, 20);
    const QString photoKey = InsertContact({{"uname", "有照片"}, {"mypic", jpeg}, {"pictype", "jpg"}});
    Tfrmuseredit &editor = Open(photoKey);
    editor.Command("PopupMenu1")->Popup();
    EXPECT_FALSE(editor.N1->Enabled());
    EXPECT_TRUE(editor.N2->Enabled());

    TestDialogs().AnswerText(dir + "/me.png");
    editor.N2Click();
    EXPECT_EQ(ReadFile(dir + "/me.png.jpg"), jpeg) << "the photo's own extension is appended";
    WriteFile("keep.jpg", "old");
    TestDialogs().AnswerText(dir + "/keep.jpg");
    editor.N2Click();
    EXPECT_EQ(ReadFile(dir + "/keep.jpg"), "old") << "an existing file is left alone";

    editor.N3Click();
    editor.Command("PopupMenu1")->Popup();
    EXPECT_TRUE(editor.N1->Enabled());
    EXPECT_FALSE(editor.N3->Enabled());
}

} // namespace
