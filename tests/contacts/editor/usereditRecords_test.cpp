// The records list (activities, attachments) and the photo album of the editor.
#include "contacts/editor/setfile.h"
#include "contacts/editor/useractmsg.h"

#include "editor/EditorTestSupport.h"
#include "shared/PopupMenuRecorder.h"

#include <QDateTimeEdit>
#include <QPlainTextEdit>
#include <QScrollArea>

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
        WriteBytes(dir + '/' + name, bytes);
        return dir + '/' + name;
    }
    // A stored record row of this contact; typeint 11 keeps the bytes, 10 links the file.
    void InsertRecord(const QString &title, const QString &type, int typeint, const QVariant &bytes = {})
    {
        Exec("insert into useraction (useruid,titlemsg,typestr,typeint,createdate,fjfile) values (?,?,?,?,?,?)",
             {key.toLongLong(), title, type, typeint, "2020-01-02 03:04:05", bytes});
    }
    // Adds an attachment through the file dialog and the store-or-link dialog.
    void AddAttachment(Tfrmuseredit &editor, const QString &path, bool stored)
    {
        TModalResponderOf<Tfrmsetfile> responder;
        responder.Then([stored](Tfrmsetfile *setfile) {
            (stored ? setfile->RadioButton1 : setfile->RadioButton2)->setChecked(true);
            setfile->accept();
        });
        TestDialogs().AnswerText(path);
        editor.N74Click();
        EXPECT_EQ(responder.Pending(), 0);
    }
    static QStringList Row(Tfrmuseredit &editor, int index)
    {
        QTreeWidgetItem *item = editor.ListView2->topLevelItem(index);
        return item ? QStringList{item->text(0), item->text(1), item->text(2)} : QStringList{};
    }
    static void Select(Tfrmuseredit &e, int row) { e.ListView2->setCurrentItem(e.ListView2->topLevelItem(row)); }
    static void AddPicture(Tfrmuseredit &editor, const QString &path)
    {
        TestDialogs().AnswerText(path);
        editor.ToolButton72Click();
    }
    static void ShowAlbum(Tfrmuseredit &editor)
    {
        editor.show();
        editor.userPageControl->setCurrentWidget(editor.TabSheet6);
        QApplication::processEvents();
    }
    QString key, dir;
};

// Records added through their dialogs are shown with their type, written once however often
// the contact is saved, and come back as they were. An attachment that cannot be read fails the
// save, which writes none of the records then.
TEST_F(EditorRecords, AddedRecordsAreWrittenOnceAndComeBack)
{
    const QString stored = WriteFile("合同.pdf", "PDF bytes"), linked = WriteFile("link.txt", "linked");
    Tfrmuseredit &editor = Open(key);
    TModalResponderOf<Tfrmuseractmsg> activity;
    activity.Then([](Tfrmuseractmsg *message) { message->reject(); });
    editor.N73Click();
    EXPECT_FALSE(editor.Modified || editor.ListView2->topLevelItemCount()) << "a cancelled activity adds nothing";
    clock.now = QDateTime(QDate(2024, 5, 2), QTime(9, 0));
    activity.Then([](Tfrmuseractmsg *message) {
        EXPECT_EQ(frmuseractmsg, message);
        message->Memo1->setPlainText("  打电话 \"问候\" ");
        message->DateTimePicker1->setDateTime(QDateTime(QDate(2024, 4, 30), QTime(14, 5, 6)));
        message->accept();
    });
    editor.N73Click();
    EXPECT_TRUE(activity.Pending() == 0 && frmuseractmsg == nullptr && editor.Modified);
    AddAttachment(editor, stored, true);
    AddAttachment(editor, linked, false);
    AddPicture(editor, WriteFile("p.jpg", TwoColourJpeg(20, 10)));
    QFile::rename(stored, stored + ".gone");
    EXPECT_FALSE(editor.SaveContact());
    // The message names the file, so the user knows which record to remove.
    EXPECT_EQ(TestDialogs().Last()->text, "保存失败！\n无法读取附件：" + stored);
    EXPECT_TRUE(editor.Modified && editor.RecordOf(0)->id == "0");
    EXPECT_EQ(Count("useraction"), 0) << "the records are written together or not at all";
    QFile::rename(stored + ".gone", stored);
    for (int save = 0; save < 3; ++save)
        ASSERT_TRUE(editor.SaveContact());
    EXPECT_EQ(Field(key, "activenewtime"), "2024-05-02 09:00:00");
    EXPECT_EQ(QSize(Count("useraction"), Count("userpic")), QSize(3, 1)) << "each row written once";
    EXPECT_EQ(Column("select typeint||'|'||titlemsg||'|'||ifnull(fjfile,'null') from useraction where typestr='附件' "
                     "order by id"), (QStringList{"11|" + stored + "|PDF bytes", "10|" + linked + "|null"}));
    EXPECT_EQ(Text("select titlemsg from useraction where id=?", {editor.RecordOf(0)->id.toLongLong()}),
              "打电话 \"问候\"") << "the ids are the written rows'";
    const QList<QStringList> rows = {{"打电话 \"问候\"", "活动", "2024-04-30 14:05:06"},
                                     {"合同.pdf", "附件", "2024-05-02 09:00:00"},
                                     {"link.txt", "附件链接", "2024-05-02 09:00:00"}};
    for (Tfrmuseredit *shown : {&editor, &Open(key)})
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(Row(*shown, i), rows[i]) << i;
}

// Deleting a row asks nothing and is no edit: the row is gone at once. Editing an activity keeps
// its date.
TEST_F(EditorRecords, DeletingAndEditingRows)
{
    for (const char *type : {"活动", "任务", "附件"})
        InsertRecord(QString::fromUtf8(type) + "内容", QString::fromUtf8(type), 0);
    Tfrmuseredit &editor = Open(key);
    ASSERT_EQ(editor.ListView2->topLevelItemCount(), 3);
    EXPECT_EQ(Row(editor, 1)[1], "任务");
    for (int left = 3; left > 1; --left) {
        Select(editor, 1);
        editor.userm03Click();
        EXPECT_EQ(QSize(editor.ListView2->topLevelItemCount(), Count("useraction")), QSize(left - 1, left - 1));
    }
    EXPECT_TRUE(TestDialogs().Questions().empty() && !editor.Modified) << "deleting asks nothing and is no edit";
    EXPECT_EQ(Open(key).ListView2->topLevelItemCount(), 1) << "a deleted task does not come back";
    Select(editor, 0);
    TModalResponderOf<Tfrmuseractmsg> responder;
    responder.Then([](Tfrmuseractmsg *message) {
        EXPECT_EQ(message->Memo1->toPlainText(), "活动内容");
        EXPECT_EQ(message->DateTimePicker1->dateTime(), QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)));
        message->Memo1->setPlainText("新内容");
        message->accept();
    });
    editor.ListView2DblClick();
    EXPECT_EQ(Row(editor, 0), (QStringList{"新内容", "活动", "2020-01-02 03:04:05"}));
    EXPECT_TRUE(editor.Modified);
    ASSERT_TRUE(editor.SaveContact());
    EXPECT_EQ(Column("select titlemsg||'|'||createdate from useraction"), QStringList{"新内容|2020-01-02 03:04:05"});
}

// A stored attachment opens from a copy in a temporary folder of the window's own; it exports
// with the source's extension appended to a bare name, a link exports its source.
TEST_F(EditorRecords, OpeningAndExportingAttachments)
{
    const QString source = WriteFile("plan.txt", "linked plan");
    InsertRecord("/elsewhere/Notes.TXT", "附件", 11, QByteArray("stored notes"));
    InsertRecord(source, "附件", 10);
    InsertRecord("活动内容", "活动", 0);
    InsertRecord("D:\\old\\报告.txt", "附件", 11, QByteArray("report"));
    InsertRecord(dir + "/nowhere.txt", "附件", 10);
    Tfrmuseredit &editor = Open(key);
    EXPECT_EQ(Row(editor, 3)[0], "报告.txt") << "old Windows paths split at the backslash";
    Select(editor, 3);
    editor.ListView2DblClick();
    ASSERT_EQ(TestShell().opened.size(), 1);
    const QString opened = TestShell().opened[0];
    EXPECT_TRUE(opened.startsWith(AppDir() + "temp/") && opened.endsWith("/报告.txt")) << opened.toStdString();
    EXPECT_EQ(ReadBytes(opened), "report");
    EXPECT_NE(Open(key).TempFolder(), editor.TempFolder());
    Select(editor, 4);
    editor.ListView2DblClick();
    EXPECT_EQ(TestDialogs().Texts(), QStringList{"打开失败!文件不存在。"});
    EXPECT_EQ(TestShell().opened.size(), 1);
    const auto exportAs = [&](int row, const QString &target, std::optional<MsgResult> overwrite = {}) {
        Select(editor, row);
        TestDialogs().AnswerText(target);
        if (overwrite)
            TestDialogs().AnswerMessage(*overwrite);
        editor.userm02Click();
    };
    const QString copy = dir + "/copy.txt";
    // A stored row: the account's bytes, the source's extension appended to a bare name.
    exportAs(0, dir + "/copy");
    EXPECT_EQ(ReadBytes(copy), "stored notes");
    // An existing target: No keeps it, Yes replaces it; a link exports its source.
    exportAs(1, copy, MsgResult::No);
    EXPECT_EQ(TestDialogs().Last()->text, "文件已经存在，覆盖吗？");
    EXPECT_EQ(ReadBytes(copy), "stored notes");
    exportAs(1, copy, MsgResult::Yes);
    EXPECT_EQ(ReadBytes(copy), "linked plan");
    // A full disk: the copy already there stays whole and the user hears of it.
    {
        FileSizeLimit full(4);
        exportAs(0, copy, MsgResult::Yes);
    }
    EXPECT_EQ(TestDialogs().Last()->text, "保存失败!");
    EXPECT_EQ(ReadBytes(copy), "linked plan");
    // A link whose source is gone fails, and says so.
    QFile::remove(source);
    TestDialogs().Reset();
    exportAs(1, dir + "/again.txt");
    EXPECT_EQ(TestDialogs().Last()->text, "保存失败!");
    EXPECT_FALSE(QFile::exists(dir + "/again.txt"));
    // An activity has no file to save: the command is not offered and does nothing.
    for (int row : {2, 0}) {
        Select(editor, row);
        editor.Command("PopupMenu4")->Popup();
        EXPECT_EQ(editor.userm02->Visible(), row == 0);
    }
    Select(editor, 2);
    const size_t asked = TestDialogs().Questions().size();
    editor.userm02Click();
    EXPECT_EQ(TestDialogs().Questions().size(), asked);
}

TEST_F(EditorRecords, AlbumAddShowSaveAndDelete)
{
    const QString wide = WriteFile("wide.jpg", TwoColourJpeg(400, 100));
    const QString tall = dir + "/tall.png";
    ASSERT_TRUE(QImage(100, 400, QImage::Format_RGB32).save(tall, "PNG"));
    Tfrmuseredit &editor = Open(key);
    editor.resize(718, 671);
    ShowAlbum(editor);
    const QSize box = editor.ScrollBox1->viewport()->size();
    AddPicture(editor, wide);
    AddPicture(editor, tall);
    EXPECT_TRUE(editor.Modified);
    ASSERT_EQ(editor.userpiclistview->count(), 2);
    EXPECT_EQ(editor.userpiclistview->currentRow(), 1);  // previous and next stop at the ends
    EXPECT_EQ(editor.ShownPictureSize(), FitToScrollBox(100, 400, box.width(), box.height()));
    editor.ToolButton63Click();
    editor.ToolButton63Click();
    EXPECT_EQ(editor.userpiclistview->currentRow(), 0);
    EXPECT_EQ(editor.ShownPictureSize(), QSize(box.width() - 2, 100 * (box.width() - 2) / 400));
    editor.ToolButton66Click();
    EXPECT_EQ(editor.ShownPictureSize(), QSize(400, 100));
    editor.ToolButton77Click();
    EXPECT_EQ(editor.ShownPictureSize().width(), box.width() - 2);
    editor.ToolButton64Click();
    editor.ToolButton64Click();
    EXPECT_EQ(editor.userpiclistview->currentRow(), 1);
    ASSERT_TRUE(editor.SaveContact());
    EXPECT_EQ(Column("select titlemsg||'|'||filename from userpic order by id"),
              (QStringList{"wide.jpg|" + wide, "tall.png|" + tall}));
    EXPECT_EQ(Value("select fjfile from userpic order by id").toByteArray(), ReadBytes(wide));
    Tfrmuseredit &reopened = Open(key);
    ASSERT_EQ(reopened.userpiclistview->count(), 2);
    EXPECT_EQ(QSize(reopened.PhotoOf(0)->width, reopened.PhotoOf(1)->height), QSize(400, 400));
    reopened.userpiclistview->setCurrentRow(0);
    reopened.ToolButton75Click();
    EXPECT_EQ(QSize(reopened.userpiclistview->count(), Count("userpic")), QSize(1, 1));
    EXPECT_TRUE(!reopened.Modified && TestDialogs().Questions().size() == 2u) << "deleting asks nothing, is no edit";
}

// A row without bytes is skipped, a broken one gets no thumbnail; thumbnails sit in the middle
// of their items, framed by selection; a picture chosen on a hidden page fits when it is shown.
TEST_F(EditorRecords, StoredAlbumRows)
{
    Exec("insert into userpic (useruid,titlemsg,filename) values (?,'empty.jpg','empty.jpg')", {key.toLongLong()});
    Exec("insert into userpic (useruid,titlemsg,filename,fjfile) values (?,'bad.jpg','bad.jpg',?)",
         {key.toLongLong(), QByteArray("\xFF\xD8\xFF\x00broken", 10)});
    Exec("insert into userpic (useruid,titlemsg,filename,fjfile) values (?,'w.jpg','w.jpg',?)",
         {key.toLongLong(), TwoColourJpeg(1000, 250)});
    Tfrmuseredit &editor = Open(key);
    ASSERT_EQ(editor.userpiclistview->count(), 2);
    EXPECT_EQ(editor.PhotoOf(0)->name, "bad.jpg");
    EXPECT_TRUE(editor.userpiclistview->item(0)->data(Qt::UserRole).isNull()
                && !editor.userpiclistview->item(1)->data(Qt::UserRole).isNull());
    editor.show();
    QApplication::processEvents();
    editor.userpiclistview->setCurrentRow(1);
    ShowAlbum(editor);
    const QSize box = editor.ScrollBox1->viewport()->size();
    EXPECT_EQ(editor.ShownPictureSize(), FitToScrollBox(1000, 250, box.width(), box.height()));
    const QImage image = editor.userpiclistview->viewport()->grab().toImage();
    const auto rect = [&](int row) {
        return editor.userpiclistview->visualItemRect(editor.userpiclistview->item(row)).adjusted(1, 1, -1, -1);
    };
    EXPECT_EQ(image.pixel(rect(0).left() + 20, rect(0).top()), qRgb(192, 192, 192));
    EXPECT_EQ(image.pixel(rect(1).left() + 20, rect(1).top()), qRgb(0, 0, 255));
    EXPECT_TRUE(IsReddish(image.pixel(rect(1).center().x() - 20, rect(1).center().y() - 2)));
    EXPECT_TRUE(IsBluish(image.pixel(rect(1).center().x() + 20, rect(1).center().y() - 2)));
    editor.ToolButton66Click();
    editor.userPageControl->setCurrentIndex(0);
    editor.userPageControl->setCurrentWidget(editor.TabSheet6);
    EXPECT_EQ(editor.ShownPictureSize(), QSize(1000, 250)) << "the actual size stays chosen";
}

TEST_F(EditorRecords, PhotoExport)
{
    const QByteArray jpeg = TwoColourJpeg(20, 20);
    Tfrmuseredit &editor = Open(InsertContact({{"uname", "有照片"}, {"mypic", jpeg}, {"pictype", "jpg"}}));
    editor.Command("PopupMenu1")->Popup();
    EXPECT_TRUE(!editor.N1->Enabled() && editor.N2->Enabled());
    TestDialogs().AnswerText(dir + "/me.png");
    editor.N2Click();
    EXPECT_EQ(ReadBytes(dir + "/me.png.jpg"), jpeg) << "the photo's own extension is appended";
    // The dialog has asked about the file it returns; a file the extension leads to is asked about here.
    TestDialogs().AnswerText(WriteFile("taken.jpg", "old"));
    editor.N2Click();
    EXPECT_EQ(ReadBytes(dir + "/taken.jpg"), jpeg) << "the file the dialog confirmed is replaced";
    WriteFile("me.png.jpg", "old");
    TestDialogs().AnswerText(dir + "/me.png");
    TestDialogs().AnswerMessage(MsgResult::No);
    editor.N2Click();
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("文件已经存在，覆盖吗？"));
    EXPECT_EQ(ReadBytes(dir + "/me.png.jpg"), "old") << "No keeps the file the extension led to";
    editor.N3Click();
    editor.Command("PopupMenu1")->Popup();
    EXPECT_TRUE(editor.N1->Enabled() && !editor.N3->Enabled());
}

// The records list's right click opens the framework menu at the pointer; 新任务 has no command,
// and only an attachment offers 另存为....
TEST_F(EditorRecords, TheRecordsMenuOpensAtThePointerWithWhatTheRowAllows)
{
    InsertRecord("见面", "活动", 0);
    InsertRecord(WriteFile("plan.txt", "plan"), "附件", 11, QByteArray("plan"));
    InsertRecord(dir + "/gone.txt", "附件", 10);
    Tfrmuseredit &editor = Open(key);
    ASSERT_EQ(editor.ListView2->topLevelItemCount(), 3);
    PopupMenuRecorder menus;
    const struct {
        int row;  // -1: none
        const char *saveAs;
    } cases[] = {{0, "eh"}, {1, "e"}, {2, "e"}, {-1, "eh"}, {0, "eh"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.row);
        editor.ListView2->setCurrentItem(c.row < 0 ? nullptr : editor.ListView2->topLevelItem(c.row));
        menus.opened.clear();
        const QPoint at(30, 8);
        emit editor.ListView2->customContextMenuRequested(at);
        ASSERT_EQ(menus.opened.size(), 1u);
        const TOpenedMenu &menu = menus.opened[0];
        EXPECT_EQ(menu.name, "PopupMenu4");
        EXPECT_EQ(menu.at, editor.ListView2->viewport()->mapToGlobal(at));
        EXPECT_EQ(menu.items, (QStringList{"新活动|e", "新任务|", "新附件|e", "-", "打开|e",
                                           QStringLiteral("另存为...|") + c.saveAs, "删除|e"}));
    }
}

// 添加图像 while there is no photo, 另存为 and 删除图像 while there is one; the menu's own items run.
TEST_F(EditorRecords, ThePhotoMenuOffersAddingOrSavingAndDeleting)
{
    Tfrmuseredit &editor = Open(InsertContact({{"uname", "照片"}, {"mypic", TwoColourJpeg(20, 20)}, {"pictype", "jpg"}}));
    PopupMenuRecorder menus;
    const auto open = [&] {
        menus.opened.clear();
        emit editor.Image5->customContextMenuRequested(QPoint(10, 10));
        EXPECT_EQ(menus.opened.size(), 1u);
        if (menus.opened.empty())
            return QStringList();
        EXPECT_EQ(menus.opened[0].name, "PopupMenu1");
        EXPECT_EQ(menus.opened[0].at, editor.Image5->mapToGlobal(QPoint(10, 10)));
        return menus.opened[0].items;
    };
    EXPECT_EQ(open(), (QStringList{"添加图像|", "另存为|e", "删除图像|e"}));
    for (int i = 0; i < editor.PopupMenu1->Items()->Count(); ++i)
        if (editor.PopupMenu1->Items()->Items(i)->Caption() == "删除图像")
            editor.PopupMenu1->Items()->Items(i)->Click();
    EXPECT_FALSE(editor.SpeedButton1->isHidden()) << "删除图像 ran";
    EXPECT_EQ(open(), (QStringList{"添加图像|e", "另存为|", "删除图像|"}));
}

} // namespace
