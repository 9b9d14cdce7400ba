// Tags and relations of a contact, the tag dialog and the contact picker.
#include "contacts/shared/WNDES.h"
#include "contacts/editor/selectuser.h"
#include "contacts/editor/seluplaces.h"

#include "editor/EditorTestSupport.h"

#include <QPushButton>

namespace {

const QChar Sep(0x18);

class EditorTags : public EditorTest
{
protected:
    QStringList Links(const QString &key)
    {
        return Column("select placename from userlinkplace where keyid=? order by rowid", {key.toLongLong()});
    }
    QStringList Places() { return Column("select placename from userplaces order by placename"); }
    // A contact linked to the tag "old", saved through an editor with a fresh browser and dialogs.
    QString Tagged(const QString &name)
    {
        const QString key = InsertContact({{"uname", name}});
        Exec("insert into userlinkplace (keyid,placename) values (?, 'old')", {key.toLongLong()});
        withBrowser = true;
        browser = RecordingBrowser{};
        TestDialogs().Reset();
        return key;
    }
};

TEST_F(EditorTags, UnknownTagAnswers)
{
    // Cancel skips every later unknown tag.
    const struct { MsgResult answer; QStringList links, places; int tagTreeLoads; size_t questions; } cases[] = {
        {MsgResult::Yes, {"A", "X", "B", "Y"}, {"A", "B", "X", "Y"}, 1, 2},
        {MsgResult::No, {"A", "B"}, {"A", "B"}, 0, 2}, {MsgResult::Cancel, {"A", "B"}, {"A", "B"}, 0, 1}};
    for (const auto &c : cases) {
        Exec("delete from userplaces");
        Exec("insert into userplaces (placename) values ('A'), ('B')");
        const QString key = Tagged("标签人");
        TestDialogs().AnswerMessage(c.answer);
        TestDialogs().AnswerMessage(c.answer);
        Tfrmuseredit editor;
        bool ok = false;
        EXPECT_EQ(editor.SaveContactTags("  A   X\tB Y", key, &ok), c.answer == MsgResult::Yes);
        EXPECT_TRUE(ok && browser.tagTreeLoads == c.tagTreeLoads);
        EXPECT_EQ(Links(key) + QStringList{"|"} + Places(), c.links + QStringList{"|"} + c.places);
        ASSERT_EQ(TestDialogs().Questions().size(), c.questions);
        EXPECT_TRUE(TestDialogs().Questions()[0].text == "标签 X 没有找到，添加新的标签吗？" &&
                    TestDialogs().Last()->buttons == MsgButtons::YesNoCancel);
    }
}

// Answers the unknown-tag question with Yes and notes what the account held while it was asked.
class LinksWhileAsked final : public IDialogs
{
public:
    std::function<QStringList()> links;
    QList<QStringList> seen;
    MsgResult MessageBox(QWidget *, const QString &, const QString &, MsgIcon, MsgButtons) override
    {
        seen << links();
        return MsgResult::Yes;
    }
    QString OpenFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    QString SaveFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    QString FolderName(QWidget *, const QString &, const QString &) override { return {}; }
};

TEST_F(EditorTags, EveryQuestionIsAskedBeforeTheLinksChange)
{
    const QString key = InsertContact({{"uname", "先问"}});
    Exec("insert into userlinkplace (keyid,placename) values (?, 'old')", {key.toLongLong()});
    LinksWhileAsked dialogs;
    dialogs.links = [&] { return Links(key); };
    SetDialogs(&dialogs);
    Tfrmuseredit &editor = Open(key);
    editor.Edit1->setText("new1 new2");
    const bool saved = editor.SaveContact();
    SetDialogs(&TestDialogs());
    EXPECT_TRUE(saved && dialogs.seen == (QList<QStringList>{{"old"}, {"old"}})) << "both asked before any change";
    EXPECT_EQ(Links(key), (QStringList{"new1", "new2"}));
    // An empty text removes every link of this contact, and only of this one.
    const QString other = InsertContact({{"uname", "别人"}});
    Exec("insert into userlinkplace (keyid,placename) values (?,'a')", {other.toLongLong()});
    EXPECT_FALSE(editor.SaveContactTags("   ", key));
    EXPECT_TRUE(Links(key).isEmpty() && Links(other) == QStringList{"a"});
}

TEST_F(EditorTags, ALinkThatCannotBeWrittenKeepsTheOldTags)
{
    Exec("insert into userplaces (placename) values ('A'), ('B')");
    Exec("create trigger refuse_b before insert on userlinkplace when new.placename = 'B' "
         "begin select raise(abort, 'refused'); end");
    const struct { const char *name; std::function<bool(Tfrmuseredit &, const QString &)> save; } cases[] = {
        {"tags alone", [](Tfrmuseredit &e, const QString &key) {
             bool ok = true;
             e.SaveContactTags("A X B", key, &ok);
             return ok;
         }},
        {"whole contact", [](Tfrmuseredit &e, const QString &key) {
             e.LoadContact(key);
             e.Edit1->setText("A X B");
             return e.SaveContact();
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString key = Tagged("旧标签");
        TestDialogs().AnswerMessage(MsgResult::Yes);
        Tfrmuseredit editor;
        EXPECT_FALSE(c.save(editor, key));
        EXPECT_EQ(Links(key), QStringList{"old"});
        EXPECT_TRUE(Places() == (QStringList{"A", "B"}) && browser.tagTreeLoads == 0) << "the new tag goes too";
    }
}

// A part that fails undoes the parts written before it, so a retry writes each row once.
TEST_F(EditorTags, AFailedSaveWritesNothingOfTheContact)
{
    Exec("insert into userplaces (placename) values ('A')");
    Exec("create trigger refuse_picture before insert on userpic begin select raise(abort, 'refused'); end");
    const QString picture = MakeTempDir("rollback") + "/p.jpg";
    WriteBytes(picture, TwoColourJpeg(8, 8));
    Tfrmuseredit &editor = Open(QString());
    editor.SetFieldText("uname", "回滚");
    editor.Edit1->setText("A");
    TestDialogs().AnswerText(picture);
    editor.ToolButton72Click();
    EXPECT_FALSE(editor.SaveContact());
    EXPECT_EQ(TestDialogs().Last()->text, "保存失败！");
    EXPECT_EQ(Count("userinfo") + Count("userlinkplace"), 0);
    EXPECT_EQ(editor.usrkeyid->text() + '|' + editor.PhotoOf(0)->id, "|0") << "no key or id of an undone row";
    EXPECT_TRUE(editor.Modified) << "closing must still offer to save";
    Exec("drop trigger refuse_picture");
    ASSERT_TRUE(editor.SaveContact() && !editor.Modified);
    const QString key = editor.usrkeyid->text();
    EXPECT_EQ(Count("userinfo") + Count("userlinkplace"), 2);
    EXPECT_TRUE(Links(key) == QStringList{"A"} && Count("userpic", "useruid=?", {key.toLongLong()}) == 1);
}

// The tag button shows the field's tags checked, a name not listed left out; deleting asks first
// and takes the tags with their links; the checked tags come back into the field.
TEST_F(EditorTags, TagDialogFromTheTagButton)
{
    Exec("insert into userplaces (placename) values ('家人'), ('朋友'), ('同事'), ('朋友'), ('a')");
    const QString key = InsertContact({{"uname", "甲"}});
    Exec("insert into userlinkplace (keyid,placename) values (?,'朋友'),(?,'家人')", {key.toLongLong(), key.toLongLong()});
    Tfrmuseredit &editor = Open(key);
    editor.Edit1->setText(" 朋友  家人 不存在");
    editor.Modified = false;
    TModalResponderOf<Tfrmseluplaces> responder;
    responder.Then([&](Tfrmseluplaces *dialog) {
        EXPECT_EQ(frmseluplaces, dialog);
        ASSERT_EQ(dialog->ListView1->topLevelItemCount(), 4);
        EXPECT_EQ(dialog->GetCheckedTags(), "家人 朋友 ");
        TestDialogs().AnswerMessage(MsgResult::No);
        dialog->Button1Click();
        EXPECT_TRUE(dialog->ListView1->topLevelItemCount() == 4 && Count("userplaces") == 5) << "No keeps them";
        TestDialogs().AnswerMessage(MsgResult::Yes);
        dialog->Button1Click();
        EXPECT_EQ(TestDialogs().Last()->text, "确定删除选中的标签吗？");
        EXPECT_EQ(Places(), (QStringList{"a", "同事"}));
        EXPECT_TRUE(Links(key).isEmpty());
        ASSERT_EQ(dialog->ListView1->topLevelItemCount(), 2);
        dialog->ListView1->topLevelItem(1)->setCheckState(0, Qt::Checked);
        dialog->accept();
    });
    editor.Button1Click();
    EXPECT_EQ(responder.Pending(), 0);
    EXPECT_TRUE(editor.Edit1->text() == "同事 " && editor.Modified);
    EXPECT_EQ(frmseluplaces, nullptr);
}

// An entry splits at the separator only: a name may hold "=". The image follows the sex text,
// deciphered for a foreign row; removing takes the selected entry, not the first of its name.
TEST_F(EditorTags, RelationEntriesImagesAndRemoval)
{
    EXPECT_EQ(SplitRelations(QString("5=\"Q\" Lee=x") + Sep), QStringList{"5=\"Q\" Lee=x"});
    EXPECT_EQ(EntryKey("5=\"Q\" Lee=x") + '|' + EntryText("5=\"Q\" Lee=x"), "5|\"Q\" Lee=x");
    EXPECT_TRUE(SplitRelations("").isEmpty() && JoinRelations({}).isEmpty());
    const QString man = InsertContact({{"uname", "男人"}, {"uxb", "男"}});
    const QString woman = InsertContact({{"uname", "女人"}, {"uxb", "女"}});
    const QString foreign = InsertContact({{"uname", "x"}, {"uxb", DesEncryptString("女", DesKey).Text}, {"kzfield2", "1"}});
    const QString key = InsertContact({{"uname", "主"}, {"linkuser", man + "=同名" + Sep + woman + "=同名" + Sep +
                                                                   foreign + "=外来" + Sep + "999=不存在" + Sep}});
    Tfrmuseredit &editor = Open(key);
    ASSERT_EQ(ItemTexts(editor.ListView1), (QStringList{"同名", "同名", "外来", "不存在"}));
    const int images[] = {0, 1, 1, 2};
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(editor.ListView1->item(row)->data(Qt::UserRole).toInt(), images[row]) << row;
    editor.ListView1->setCurrentRow(1);
    editor.BitBtn6Click();
    EXPECT_EQ(ItemTexts(editor.ListView1), (QStringList{"同名", "外来", "不存在"}));
    EXPECT_TRUE(editor.Modified);
    ASSERT_TRUE(editor.SaveContact());
    EXPECT_EQ(Field(key, "linkuser"), man + "=同名" + Sep + foreign + "=外来" + Sep + "999=不存在" + Sep);
}

// The picker filters by name and by letters; checking a filtered item selects the right contact.
// Every contact may be chosen but the one being edited.
TEST_F(EditorTags, PickerChoosesRelationsButNeverTheContactItself)
{
    QStringList chosen;  // in the order the picker lists them, by their letters
    for (const auto &[name, letters] : {std::pair{"李 四", "L"}, {"李张", "LZ"}, {"张三", "ZS"}, {"张三丰", "ZSF"}})
        chosen << InsertContact({{"uname", name}, {"kzfield1", letters}, {"uxb", "女"}}) + '=' + name;
    chosen << InsertContact({{"uname", DesEncryptString("赵四", DesKey).Text}, {"kzfield1", "ZSZ"}, {"kzfield2", "0"}})
                  + "=赵四";
    const QString self = InsertContact({{"uname", "我自己"}, {"kzfield1", "WZJ"}});
    Tfrmuseredit &editor = Open(self);
    TModalResponderOf<Tfrmselectuser> responder;
    responder.Then([&](Tfrmselectuser *picker) {
        EXPECT_EQ(frmselectuser, picker);
        picker->Edit1->setText("张");
        EXPECT_EQ(picker->Edit2->text(), "Z");
        EXPECT_EQ(ItemTexts(picker->CheckListBox1), (QStringList{"李张", "张三", "张三丰"}));
        EXPECT_EQ(picker->ShownContacts.size(), 3);
        picker->Edit1->clear();
        picker->Edit2->setText("ZS");
        EXPECT_EQ(ItemTexts(picker->CheckListBox1), (QStringList{"张三", "张三丰", "赵四"}));
        picker->CheckListBox1->item(2)->setCheckState(Qt::Checked);
        ASSERT_EQ(picker->SelectedContacts.size(), 1);
        EXPECT_EQ(EntryText(picker->SelectedContacts[0]), "赵四");
        picker->CheckListBox1->item(2)->setCheckState(Qt::Unchecked);
        EXPECT_TRUE(picker->SelectedContacts.isEmpty() && picker->CheckListBox2->count() == 0);
        picker->Edit2->setText("Q");
        EXPECT_EQ(picker->CheckListBox1->count(), 0);
        picker->Button1->click();  // every contact again
        for (int i = 0; i < picker->CheckListBox1->count(); ++i)
            picker->CheckListBox1->item(i)->setCheckState(Qt::Checked);
        EXPECT_EQ(ItemTexts(picker->CheckListBox2), (QStringList{"李 四", "李张", "我自己", "张三", "张三丰", "赵四"}));
        picker->accept();
    });
    editor.BitBtn5Click();
    EXPECT_EQ(editor.RelationList, chosen);
    EXPECT_EQ(editor.ListView1->item(0)->data(Qt::UserRole).toInt(), 1) << "a woman";
    EXPECT_TRUE(editor.Modified);
    ASSERT_TRUE(editor.SaveContact());
    EXPECT_EQ(Field(self, "linkuser"), chosen.join(Sep) + Sep);
    // Emptying the choice is a change too.
    responder.Then([](Tfrmselectuser *picker) {
        EXPECT_EQ(picker->SelectedContacts.size(), 5);
        while (picker->CheckListBox2->count() > 0)
            picker->CheckListBox2->item(0)->setCheckState(Qt::Unchecked);
        EXPECT_TRUE(picker->SelectedContacts.isEmpty());
        picker->accept();
    });
    editor.Modified = false;
    editor.BitBtn5Click();
    EXPECT_TRUE(editor.RelationList.isEmpty() && editor.Modified);
}

// The modal editor opens a related contact (a rename shows in its entry) and adds a new one;
// the relation is stored on this contact only.
TEST_F(EditorTags, RelatedContactsThroughTheModalEditor)
{
    const QString friendKey = InsertContact({{"uname", "老名字"}, {"uxb", "男"}});
    const QString key = InsertContact({{"uname", "主人"}, {"linkuser", friendKey + "=老名字" + Sep}});
    Tfrmuseredit &editor = Open(key);
    editor.ListView1->setCurrentRow(0);
    TModalResponderOf<Tfrmusereditdlg> responder;
    responder.Then([](Tfrmusereditdlg *dialog) {
        EXPECT_EQ(dialog->FieldText("uname"), "老名字");
        dialog->SetFieldText("uname", "新名字");
        dialog->SetFieldText("uxb", "");
        dialog->TBXItem1Click();
    });
    editor.ListView1DblClick();
    EXPECT_EQ(editor.RelationList, QStringList{friendKey + "=新名字"});
    EXPECT_EQ(editor.ListView1->item(0)->text(), "新名字");
    EXPECT_EQ(editor.ListView1->item(0)->data(Qt::UserRole).toInt(), 2) << "image follows the saved sex text";
    EXPECT_EQ(Field(friendKey, "uname"), "新名字");
    EXPECT_TRUE(editor.Modified);
    responder.Then([](Tfrmusereditdlg *dialog) {
        EXPECT_FALSE(dialog->TBXItem2->Visible() || dialog->TBXItem4->Visible());
        EXPECT_TRUE(dialog->ContactMissing);
        dialog->SetFieldText("uname", "新朋友");
        dialog->SetFieldText("uxb", "女");
        dialog->TBXItem1Click();
    });
    editor.BitBtn7Click();
    // Cancelling the dialog adds nothing.
    responder.Then([](Tfrmusereditdlg *dialog) { dialog->TBXItem3Click(); });
    editor.BitBtn7Click();
    EXPECT_EQ(responder.Unexpected() + responder.Pending(), 0);
    const QString added = Text("select keyid from userinfo where uname=?", {"新朋友"});
    ASSERT_FALSE(added.isEmpty());
    EXPECT_EQ(editor.RelationList, (QStringList{friendKey + "=新名字", added + "=新朋友"}));
    EXPECT_EQ(editor.ListView1->item(1)->data(Qt::UserRole).toInt(), 1);
    EXPECT_EQ(Field(added, "linkuser") + Field(friendKey, "linkuser"), "");
}

} // namespace
