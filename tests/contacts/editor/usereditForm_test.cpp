// The editor window around load and save: labels, lists, name completion, signs, toolbar, close
// prompts and the editor registry.
#include "contacts/account/alarmwin.h"

#include "contacts/editor/InputTextBox.h"
#include "editor/EditorTestSupport.h"

#include <QCalendarWidget>
#include <QTableView>

namespace {

class EditorForm : public EditorTest
{
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        form1 = std::make_unique<TForm1>();
        Form1 = form1.get();
    }
    void TearDown() override
    {
        form1.reset();
        Form1 = nullptr;
        FieldCaptions.clear();
        EditorTest::TearDown();
    }
    // A registered editor, as the main window makes one.
    Tfrmuseredit *Registered(const QString &name, const QString &key = QString())
    {
        auto *editor = new Tfrmuseredit;
        editor->setObjectName(name);
        Form1->Adopt(editor);
        Form1->ComboBox1->addItem(name);
        if (!key.isEmpty())
            editor->LoadContact(key);
        return editor;
    }
    QStringList RegistryNames() const { return Items(Form1->ComboBox1); }
    static QComboBox *Combo(TUserEditForm &e, const char *c) { return static_cast<QComboBox *>(e.FieldControl(c)); }
    static QStringList Items(const QComboBox *combo)
    {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return items;
    }
    std::unique_ptr<TForm1> form1;
};

TEST_F(EditorForm, NameCompletion)
{
    Tfrmuseredit editor;
    editor.SetFieldText("text30", " 张 ");
    editor.SetFieldText("text44", "三");
    editor.text30Exit();
    auto *uname = Combo(editor, "uname");
    EXPECT_EQ(Items(uname) << uname->currentText(), (QStringList{"张三", "张 三", "张, 三", "三 张", "三, 张", "三", "张三"}));
    // Both blank: an empty list and the name as it was.
    editor.SetFieldText("uname", "李四");
    editor.SetFieldText("text30", " ");
    editor.SetFieldText("text44", "");
    editor.text30Exit();
    EXPECT_TRUE(uname->count() == 0 && uname->currentText() == "李四");
    // Leaving the name adds a new text to the list once, and selects a listed one.
    editor.unameExit();
    editor.unameExit();
    EXPECT_TRUE(Items(uname) == QStringList{"李四"} && uname->currentIndex() == 0);
    // Completion runs when the surname loses focus; only passing through leaves a typed name alone.
    editor.SetFieldText("text30", "");
    editor.show();
    QApplication::setActiveWindow(&editor);
    editor.FieldControl("text30")->setFocus();
    QTest::keyClicks(editor.FieldControl("text30"), "Smith");
    editor.FieldControl("umtel")->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(uname->currentText() == "Smith" && uname->count() == 6);
    editor.SetFieldText("uname", "Mr. John Smith");
    for (const char *column : {"text30", "text44", "umtel"})
        editor.FieldControl(column)->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(uname->currentText(), "Mr. John Smith");
}

// The signs of a birthday, and the editor filling its sign fields when the birthday changes.
TEST_F(EditorForm, BirthdaySigns)
{
    const struct { QDate date; bool lunar; const char *animal, *star; } cases[] = {
        {QDate(2020, 1, 10), false, "猪", "摩羯座"}, {QDate(2020, 2, 10), false, "鼠", "水瓶座"},
        {QDate(1990, 8, 15), true, "马", "天秤座"},
        {QDate(1984, 1, 1), true, "鼠", "水瓶座"},   // lunar new year's day 1984 is 2 February
        {QDate(2040, 12, 30), true, "猴", ""},        // beyond the conversion table
        {QDate(1800, 6, 1), false, "猴", "双子座"},   // before the lunar table: no correction
    };
    for (const auto &c : cases) {
        QString animal, star;
        BirthdaySigns(c.date, c.lunar, animal, star);
        EXPECT_EQ(animal + '|' + star, QString::fromUtf8(c.animal) + '|' + QString::fromUtf8(c.star))
            << c.date.toString(Qt::ISODate).toStdString();
    }
    Tfrmuseredit editor;
    editor.SetFieldText("uxz", "处女座");
    editor.Modified = false;
    editor.RadioButton2->setChecked(true);
    editor.DateTimePicker1->SetDate(QDate(2040, 12, 30));
    editor.DateTimePicker1Change();
    // A lunar date outside the table leaves the star sign.
    EXPECT_TRUE(editor.FieldText("usx") + editor.FieldText("uxz") == "猴处女座" && editor.Modified);
    // The tabbed editor recomputes on 阳历; the modal one only notes the change.
    editor.DateTimePicker1->SetDate(QDate(2020, 2, 10));
    editor.RadioButton1->click();
    EXPECT_EQ(editor.FieldText("usx") + editor.FieldText("uxz"), "鼠水瓶座");
    Tfrmusereditdlg dialog;
    dialog.DateTimePicker1->SetDate(QDate(2020, 2, 10));
    dialog.Modified = false;
    dialog.RadioButton2->click();
    EXPECT_TRUE(dialog.Modified && dialog.FieldText("usx").isEmpty());
}

// Answers the next input dialog with the text put over the one it proposes and Enter, or cancels
// it (nullopt).
static void AnswerInput(ModalResponder &responder, std::optional<QString> text)
{
    responder.Then([text](QDialog *dialog) {
        auto *form = qobject_cast<TInputTextBoxForm *>(dialog);
        if (form && text)
            form->Edit->insert(*text), QTest::keyClick(form->Edit, Qt::Key_Return);
        else
            dialog->reject();
    });
}

TEST_F(EditorForm, LabelRename)
{
    FieldCaptions = BuildFieldCaptions(TIniFile(ConfigIniPath()));
    Tfrmuseredit editor;
    ModalResponder responder;
    for (const char *bad : {"a,b", "x=y", "say \"hi\""}) {
        AnswerInput(responder, QString::fromUtf8(bad));
        editor.mylabClick(2);
        EXPECT_EQ(TestDialogs().Last()->text, "信息中不能包含字符[, = \"]");
        EXPECT_EQ(editor.mylab[1]->text() + PairValueOf(FieldCaptions, "field2"), "自定义2自定义2");
    }
    AnswerInput(responder, "微信");
    editor.mylabClick(2);
    EXPECT_EQ(editor.mylab[1]->text() + PairValueOf(FieldCaptions, "field2"), "微信微信");
    EXPECT_EQ(TIniFile(ConfigIniPath()).ReadString("USERLABLE", "mylab2", ""), "微信");
    // A later window shows the new caption; cancelling changes nothing.
    Tfrmuseredit later;
    AnswerInput(responder, std::nullopt);
    later.mylabClick(2);
    EXPECT_EQ(later.mylab[1]->text(), "微信");
    EXPECT_EQ(responder.Unexpected() + responder.Pending(), 0);
}

// The input dialog keeps 255 characters of what is typed, and opens centred on the screen wherever
// the window that asks is.
TEST_F(EditorForm, InputTextBoxLimitsTheTextAndOpensCentredOnTheScreen)
{
    QWidget asking;
    asking.setGeometry(0, 0, 200, 100);
    asking.show();
    TInputTextBoxForm form("修改", "新名称：", "旧", &asking);
    form.show();
    QTest::keyClicks(form.Edit, QString(300, 'x'));
    EXPECT_EQ(form.Edit->text(), QString(255, 'x'));
    EXPECT_LE((form.frameGeometry().center() - asking.screen()->availableGeometry().center()).manhattanLength(), 2);
}

TEST_F(EditorForm, PresetAndStoredDropDownLists)
{
    InsertContact({{"uname", "a"}, {"text32", "大客户"}, {"uzw", "经理"}});
    InsertContact({{"uname", "b"}, {"text32", "大客户"}, {"uzw", "旧职务"}, {"kzfield2", "1"}});
    InsertContact({{"uname", "c"}, {"text32", ""}, {"uzw", ""}});
    Tfrmuseredit editor;
    EXPECT_EQ(Items(Combo(editor, "text32")), QStringList{"大客户"});
    EXPECT_EQ(Items(Combo(editor, "uzw")), QStringList{"经理"}) << "only rows this program wrote";
    EXPECT_EQ(Combo(editor, "text32")->currentText(), "") << "a list does not fill the field";
}

TEST_F(EditorForm, ChangesSetModified)
{
    Tfrmuseredit &editor = Open(QString());
    EXPECT_FALSE(editor.Modified);
    const std::vector<std::function<void()>> changes = {
        [&] { editor.SetFieldText("ufz", "备注"); }, [&] { editor.SetFieldText("uwkaddress", "公司"); },
        [&] { editor.Edit1->setText("朋友"); },      [&] { editor.CheckBox1->click(); },
        [&] { editor.CheckBox2->click(); },          [&] { editor.ulevel->setCurrentIndex(4); },
        [&] { editor.seldate2->CheckBox()->click(); },
    };
    for (size_t i = 0; i < changes.size(); ++i) {
        editor.Modified = false;
        changes[i]();
        EXPECT_TRUE(editor.Modified) << "change " << i;
    }
    // Dates set by the program are no edits.
    editor.Modified = false;
    editor.seldate2->SetDate(QDate(2001, 1, 1));
    editor.DateTimePicker1->SetChecked(true);
    EXPECT_FALSE(editor.Modified);
}

TEST_F(EditorForm, SaveRenamesOnlyAfterSuccess)
{
    Tfrmuseredit *editor = Registered("add_userform");
    editor->SetFieldText("uname", "   ");
    editor->SetFieldText("umtel", "13800000000");
    editor->userPageControl->setCurrentIndex(2);
    editor->TBXItem4Click();  // save and new, no name: refused, nothing written, the input stays
    editor->TBXItem2Click();
    EXPECT_EQ(TestDialogs().Texts(), (QStringList{"请输入姓名！", "请输入姓名！"}));
    EXPECT_TRUE(editor->FieldText("umtel") == "13800000000" && editor->userPageControl->currentIndex() == 0);
    EXPECT_EQ(Count("userinfo"), 0);
    EXPECT_EQ(RegistryNames() << editor->objectName(), (QStringList{"add_userform", "add_userform"}));
    editor->SetFieldText("uname", "周八");
    editor->TBXItem2Click();
    const QString name = "useredit" + editor->usrkeyid->text();
    EXPECT_EQ(RegistryNames() << editor->objectName() << editor->windowTitle(), (QStringList{name, name, "周八-人脉"}));
    EXPECT_EQ(Form1->FindEditor(name), static_cast<IContactEditor *>(editor));
}

TEST_F(EditorForm, SaveAndNewResetsTheWholeEditor)
{
    Exec("insert into userplaces (placename) values ('朋友')");
    const QByteArray photo("\xFF\xD8\xFF", 3);
    const QString key = InsertContact({{"uname", "旧人"}, {"linkuser", QString("3=某人") + QChar(0x18)},
                                       {"mypic", photo}, {"pictype", "jpg"}, {"uhsr", "1970-01-01"},
                                       {"txlevel", 1}, {"txdaystr", "1"}, {"txxhcs", 2},
                                       {"txstarttime", "2024-05-01 09:00:00"}});
    Exec("insert into useraction (useruid,titlemsg,typestr,createdate) values (?,'x','活动','2024-01-01 00:00:00')",
         {key.toLongLong()});
    Exec("insert into userpic (useruid,titlemsg,filename,fjfile) values (?,'p.jpg','p.jpg',?)",
         {key.toLongLong(), photo});
    Tfrmuseredit *editor = Registered("useredit" + key, key);
    editor->Edit1->setText("朋友");
    editor->TBXItem4Click();
    EXPECT_EQ(RegistryNames() << editor->objectName() << editor->windowTitle(),
              (QStringList{"add_userform", "add_userform", "未命名-人脉"}));
    EXPECT_EQ(editor->usrkeyid->text() + editor->FieldText("uname"), "");
    EXPECT_EQ(editor->ListView1->count() + editor->ListView2->topLevelItemCount(), 0);
    EXPECT_EQ(editor->userpiclistview->count(), 0);
    EXPECT_FALSE(editor->HasPhoto() || editor->DateTimePicker1->Checked() || editor->Modified);
    EXPECT_TRUE(editor->ReminderRule.Kind == 0 && editor->ulevel->currentIndex() == 2);
    // The next contact is a new row that carries nothing of the old one.
    editor->SetFieldText("uname", "新人");
    ASSERT_TRUE(editor->SaveContact());
    const QString next = editor->usrkeyid->text();
    EXPECT_NE(next, key);
    EXPECT_EQ(Field(next, "linkuser") + Field(next, "pictype"), "");
    for (const auto &[table, column] : {std::pair{"useraction", "useruid"}, {"userpic", "useruid"},
                                        {"userlinkplace", "keyid"}}) {
        EXPECT_EQ(Count(table, QString(column) + "=?", {next.toLongLong()}), 0) << table;
        EXPECT_EQ(Count(table, QString(column) + "=?", {key.toLongLong()}), 1) << "the old contact kept " << table;
    }
}

// Yes to the close prompt with a save that fails must not throw the edits away with the window;
// No closes it unsaved, and a registered window is released when it closes.
TEST_F(EditorForm, AFailedSaveOnCloseKeepsTheWindowOpen)
{
    const QString key = InsertContact({{"uname", "留"}});
    const struct { const char *name, *uname; bool refuseWrites; const char *message; } cases[] = {
        {"blank name", "", false, "请输入姓名！"}, {"engine refuses", "留", true, "保存失败！"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.refuseWrites)
            Exec("create trigger refuse_update before update on userinfo begin select raise(abort, 'refused'); end");
        // The tabbed editor.
        TestDialogs().Reset();
        QPointer<Tfrmuseredit> editor = Registered("useredit" + key, key);
        editor->show();
        editor->SetFieldText("uname", c.uname);
        editor->SetFieldText("umtel", "12345");
        TestDialogs().AnswerMessage(MsgResult::Yes);
        EXPECT_FALSE(editor->close());
        EXPECT_EQ(TestDialogs().Texts(), (QStringList{"信息已经修改是否保存？", c.message}));
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_TRUE(editor && editor->isVisible() && editor->Modified && editor->FieldText("umtel") == "12345");
        EXPECT_EQ(RegistryNames(), QStringList{"useredit" + key});
        // No to the next prompt, from 关闭, closes it.
        TestDialogs().AnswerMessage(MsgResult::No);
        editor->TBXItem3Click();
        const ScriptedDialogs::Question *prompt = TestDialogs().Last();
        EXPECT_TRUE(prompt->icon == MsgIcon::Warning && prompt->buttons == MsgButtons::YesNo);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(editor.isNull() && RegistryNames().isEmpty());
        // The modal editor.
        TestDialogs().Reset();
        Tfrmusereditdlg dialog;
        dialog.LoadContact(key);
        bool stayed = false;
        ModalEditorResponder responder;
        responder.Then([&](TUserEditForm *) {
            dialog.SetFieldText("uname", c.uname);
            dialog.SetFieldText("umtel", "12345");
            TestDialogs().AnswerMessage(MsgResult::Yes);
            dialog.close();
            // The prompt comes once the dialog's loop has the close.
            QTimer::singleShot(0, &dialog, [&] {
                stayed = dialog.isVisible() && dialog.Modified;
                TestDialogs().AnswerMessage(MsgResult::No);
                dialog.close();
            });
        });
        EXPECT_EQ(dialog.ShowModal(), mrCancel);
        EXPECT_TRUE(stayed && Field(key, "umtel").isEmpty());
        EXPECT_EQ(TestDialogs().Texts(), (QStringList{"信息已经修改是否保存？", c.message, "信息已经修改是否保存？"}));
        if (c.refuseWrites)
            Exec("drop trigger refuse_update");
    }
    // Yes, with a save that succeeds, saves and closes.
    QPointer<Tfrmuseredit> editor = Registered("useredit" + key, key);
    editor->show();
    editor->SetFieldText("umtel", "yes");
    TestDialogs().AnswerMessage(MsgResult::Yes);
    editor->TBXItem3Click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editor.isNull() && RegistryNames().isEmpty() && Field(key, "umtel") == "yes");
}

// Delete in a field, the name box included, edits the field; no window's command gets it. Ctrl+S
// in a field saves once and closes the window.
TEST_F(EditorForm, KeysInAFieldStayTheFieldsAndCtrlSSavesOnce)
{
    TForm main(nullptr);
    QPointer<TForm> before = Application()->MainForm();
    Application()->SetMainForm(&main);
    int mainDeletes = 0;
    main.OnShortCut = [&](TMessage &m, bool &handled) { mainDeletes += handled = m.WParam == VK_DELETE; };
    withBrowser = true;
    QPointer<Tfrmuseredit> editor = Registered("add_userform");
    editor->show();
    QApplication::setActiveWindow(editor);
    for (const char *column : {"uname", "umtel"}) {
        editor->SetFieldText(column, "abc");
        QWidget *field = editor->FieldControl(column);
        field->setFocus();
        auto *line = qobject_cast<QLineEdit *>(field);
        (line ? line : static_cast<QComboBox *>(field)->lineEdit())->setCursorPosition(0);
        QTest::keyClick(field, Qt::Key_Delete);
        EXPECT_EQ(editor->FieldText(column), "bc") << column;
    }
    EXPECT_EQ(mainDeletes, 0);
    QTest::keyClick(editor->FieldControl("umtel"), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Count("userinfo", "uname=?", {"bc"}), 1);
    EXPECT_TRUE(browser.shownNew.size() == 1 && browser.updated.isEmpty()) << "a second save of the same key";
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editor.isNull());
    Application()->SetMainForm(before);
}

TEST_F(EditorForm, ReminderDetailsOpenTheContactModally)
{
    InstallContactEditor();
    const QString key = InsertContact({{"uname", "模态"}});
    QPointer<Tfrmuseredit> registered = Registered("useredit" + key, key);
    registered->show();
    ModalEditorResponder responder;
    responder.Then([&](TUserEditForm *shown) {
        auto *editor = dynamic_cast<Tfrmuseredit *>(shown);
        ASSERT_TRUE(editor && editor != registered.data()) << "a window of its own, not the registered one";
        EXPECT_TRUE(editor->FieldText("uname") == "模态" && (editor->windowFlags() & Qt::WindowStaysOnTopHint));
        editor->SetFieldText("umtel", "555");
        editor->TBXItem1Click();
    });
    ShowContactModal(key);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(responder.Unexpected() + responder.Pending(), 0);
    EXPECT_EQ(Field(key, "umtel"), "555");
    EXPECT_TRUE(registered && RegistryNames() == QStringList{"useredit" + key}) << "the registered window stays";
    ContactEditorFactory = nullptr;
}

TEST_F(EditorForm, ModalDialogEndsWithOkOnlyAfterASave)
{
    enum How { SaveButton, CloseButton, CloseBox };
    // The name is also the name typed, when not empty.
    const struct { const char *name; How how; MsgResult answer; int result; } cases[] = {
        {"存", SaveButton, MsgResult::Yes, mrOk}, {"", CloseButton, MsgResult::Yes, mrCancel},
        {"是", CloseButton, MsgResult::Yes, mrOk}, {"否", CloseButton, MsgResult::No, mrCancel},
        {"框", CloseBox, MsgResult::Yes, mrOk}};
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.name) + std::to_string(c.how));
        Tfrmusereditdlg dialog;
        dialog.LoadContact(QString());
        ModalEditorResponder responder;
        responder.Then([&](TUserEditForm *) {
            if (*c.name)
                dialog.SetFieldText("uname", QString::fromUtf8(c.name));
            if (c.how != SaveButton && *c.name)
                TestDialogs().AnswerMessage(c.answer);
            c.how == SaveButton ? dialog.TBXItem1Click() : c.how == CloseButton ? dialog.TBXItem3Click()
                                                                                 : void(dialog.close());
        });
        EXPECT_EQ(dialog.ShowModal(), c.result);
        EXPECT_EQ(responder.Unexpected(), 0);
    }
    EXPECT_EQ(Column("select uname from userinfo order by keyid"), (QStringList{"存", "是", "框"}));
}

TEST_F(EditorForm, LinksOpenMailAndWebAddresses)
{
    Tfrmuseredit editor;
    editor.Image2Click();
    editor.Image4Click();
    EXPECT_TRUE(TestShell().opened.isEmpty()) << "blank addresses open nothing";
    // What follows an address must not reach the mail program as a request of its own.
    editor.SetFieldText("uemail", " a@b.cn ");
    editor.SetFieldText("text1", "x@y.com?attach=/home/user/.ssh/id_rsa&cc=z@evil.cn");
    editor.SetFieldText("uhtml", " www.example.cn ");
    editor.Image2Click();
    editor.Image3Click();
    editor.Image4Click();
    EXPECT_EQ(TestShell().opened,
              (QStringList{"mailto:a@b.cn", "mailto:x@y.com%3Fattach%3D%2Fhome%2Fuser%2F.ssh%2Fid_rsa%26cc%3Dz@evil.cn",
                           "www.example.cn"}));
}

// Typing a day the month lacks never gives another date; the lunar birthday says why it is
// refused and keeps the date from before the edit.
TEST_F(EditorForm, ATypedDayIsNeverTurnedIntoAnotherDate)
{
    const struct { const char *typed; bool lunar; QDate date; const char *message; } cases[] = {
        {"30", true, QDate(1990, 2, 1), "阴历日期 1990-02-30 无法保存，请重新输入。"},
        {"30", false, QDate(1990, 2, 1), "1990-02-30 不是有效的日期，请重新输入。"},
        {"29", true, QDate(1990, 2, 1), "阴历日期 1990-02-29 无法保存，请重新输入。"},
        {"28", true, QDate(1990, 2, 28), nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        Tfrmuseredit editor;
        editor.show();
        QApplication::setActiveWindow(&editor);
        (c.lunar ? editor.RadioButton2 : editor.RadioButton1)->setChecked(true);
        editor.DateTimePicker1->SetChecked(true);
        editor.DateTimePicker1->SetDate(QDate(1990, 2, 1));
        QDateEdit *edit = editor.DateTimePicker1->DateEdit();
        edit->setFocus();
        edit->setSelectedSection(QDateTimeEdit::DaySection);
        TestDialogs().Reset();
        QTest::keyClicks(edit, c.typed);
        QTest::keyClick(edit, Qt::Key_Return);
        QCoreApplication::processEvents();
        EXPECT_EQ(editor.DateTimePicker1->Date(), c.date);
        EXPECT_EQ(TestDialogs().Texts(), c.message ? QStringList{QString::fromUtf8(c.message)} : QStringList{});
    }
}

// The dates' calendars show every week of the month: the weekday names and six week rows lie
// whole inside the pop-up, each row as tall as its texts ask.
TEST_F(EditorForm, DateCalendarsShowSixWeeks)
{
    Tfrmuseredit editor;
    editor.show();
    QApplication::setActiveWindow(&editor);
    for (TCheckDatePicker *picker : {editor.DateTimePicker1, editor.seldate2}) {
        SCOPED_TRACE(picker->objectName().toStdString());
        picker->SetChecked(true);
        picker->SetDate(QDate(2026, 8, 1));  // begins on a Saturday: six weeks
        QDateEdit *edit = picker->DateEdit();
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() - 6, edit->height() / 2));
        QCalendarWidget *calendar = edit->calendarWidget();
        ASSERT_TRUE(calendar && calendar->isVisible());
        const QAbstractItemView *days = calendar->findChild<QTableView *>();
        ASSERT_TRUE(days);
        ASSERT_EQ(days->model()->rowCount(), 7);
        const QRect shown = days->viewport()->rect();
        for (int row = 0; row < 7; ++row) {
            const QRect cell = days->visualRect(days->model()->index(row, 3));
            EXPECT_TRUE(shown.contains(cell)) << row;
            EXPECT_GE(cell.height(), days->sizeHintForRow(row)) << row;
        }
        EXPECT_TRUE(calendar->window()->rect().contains(
            QRect(days->viewport()->mapTo(calendar->window(), QPoint(0, 0)), shown.size())));
        calendar->window()->close();
    }
}

// A month is typed as a day is: with or without its leading zero, and the day follows it, so a
// whole date can be typed from the year on.
TEST_F(EditorForm, ATypedMonthIsTakenAndTheDayFollows)
{
    using Section = QDateTimeEdit::Section;
    const struct { Section from; const char *typed; QDate start, date; } cases[] = {
        {Section::MonthSection, "11", QDate(1990, 2, 1), QDate(1990, 11, 1)},
        {Section::MonthSection, "3", QDate(1990, 2, 1), QDate(1990, 3, 1)},
        {Section::MonthSection, "03", QDate(1990, 2, 1), QDate(1990, 3, 1)},
        {Section::MonthSection, "1", QDate(1990, 12, 15), QDate(1990, 1, 15)},
        {Section::MonthSection, "13", QDate(1990, 12, 15), QDate(1990, 3, 15)},
        {Section::MonthSection, "0405", QDate(1990, 12, 15), QDate(1990, 4, 5)},
        {Section::MonthSection, "228", QDate(1990, 12, 31), QDate(1990, 2, 28)},
        {Section::YearSection, "19900315", QDate(2026, 12, 7), QDate(1990, 3, 15)},
        {Section::YearSection, "1990-03-15", QDate(2026, 12, 7), QDate(1990, 3, 15)},
        {Section::YearSection, "1990-3-5", QDate(2026, 12, 7), QDate(1990, 3, 5)},
        {Section::YearSection, "1990-1-5", QDate(2026, 12, 7), QDate(1990, 1, 5)},
        {Section::YearSection, "1990-11-25", QDate(2026, 12, 7), QDate(1990, 11, 25)},
        {Section::YearSection, "19901231", QDate(2026, 12, 7), QDate(1990, 12, 31)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        Tfrmuseredit editor;
        editor.show();
        QApplication::setActiveWindow(&editor);
        editor.DateTimePicker1->SetChecked(true);
        editor.DateTimePicker1->SetDate(c.start);
        QDateEdit *edit = editor.DateTimePicker1->DateEdit();
        edit->setFocus();
        edit->setSelectedSection(c.from);
        TestDialogs().Reset();
        QTest::keyClicks(edit, c.typed);
        QTest::keyClick(edit, Qt::Key_Return);
        QCoreApplication::processEvents();
        EXPECT_EQ(editor.DateTimePicker1->Date(), c.date);
        EXPECT_EQ(TestDialogs().Texts(), QStringList{});
    }
}

} // namespace
