#include "browser/BrowserTestSupport.h"
#include "shared/PopupMenuRecorder.h"

#include "contacts/transfer/VCardFormat.h"

#include <QApplication>

namespace {

using BrowserTree = BrowserTest;

TEST_F(BrowserTree, PlacesRowsUnderTheirParentsWithContactsAfterSubgroups)
{
    const qint64 friends = Group("朋友", 0, 1, 0);
    const qint64 work = Group("同事", 0, 1, 1);
    const qint64 school = Group("同学", friends, 2, 0);
    Contact("赵六", friends, 2);
    Contact("李四", friends, 2);
    Contact("王五", school, 3);
    Contact("张三", 0, 1);
    Group("孤儿", 9999, 2);          // parent row missing
    Group("错层", work, 3);          // level does not fit its parent
    Contact("Tom", work, 2);
    const QString shape = "人脉(朋友(同学(王五),李四,赵六),同事(Tom),孤儿,错层,张三)";
    EXPECT_EQ(Shape(), shape);
    // Every node is found by its key, the root by "0".
    EXPECT_EQ(Page().FindTreeNodeByKey("0"), Page().Root());
    EXPECT_EQ(Node(school)->text(0), "同学");
    EXPECT_TRUE(!Page().FindTreeNodeByKey("12345") && !Page().FindTreeNodeByKey("x"));
    // Foreign rows show empty texts.
    const qint64 key = Contact("外来", 0, 1, {{"kzfield2", "1"}, {"uxb", "女"}});
    Page().LoadGroupTree();
    ASSERT_NE(RecordOf(Node(key)), nullptr);
    EXPECT_EQ(Node(key)->text(0) + RecordOf(Node(key))->uxb, "");
    EXPECT_EQ(RecordOf(Node(key))->keyid, QString::number(key));
    // A reload keeps nothing of the old tree.
    Exec("delete from userinfo where keyid=?", {key});
    Page().LoadGroupTree();
    EXPECT_EQ(Node(key), nullptr);
    EXPECT_EQ(Shape(), shape);
}

// A large account is read in ranges of keys on several connections at once, and its search
// index in the background: contacts of far-apart keys still come in the order of their initials
// (ties in key order) and are counted once, and a search typed at once finds what the account
// holds by then.
TEST_F(BrowserTree, FarApartKeysKeepTheTreeOrderCountsAndSearch)
{
    AppSettings().FrequentViewCount = 5;
    const qint64 group = Group("组");
    Contact("周三", group, 2, {{"keyid", 5}, {"readcount", 9}});
    Contact("张三", group, 2, {{"keyid", 90000}, {"ulevel", 4}});
    Contact("李四", group, 2, {{"keyid", 30000}});
    Contact("王五", 0, 1, {{"keyid", 60000}, {"readcount", 7}, {"ulevel", 3}});
    Contact("赵六", 0, 1, {{"keyid", 45000}});
    EXPECT_EQ(Shape(), "人脉(组(李四,周三,张三),王五,赵六)");
    QStringList captions;
    for (int view = 0; view < 4; ++view)
        captions << Page().TreeView1->topLevelItem(view)->text(0);
    EXPECT_EQ(captions, QStringList({"常用人脉(2)", "最近联系(0)", "应多联系(2)", "所有人脉(5)"}));
    ExpectRowsMatchTree();

    Exec("update userinfo set umtel='13900001111' where keyid=90000");
    Exec("delete from userinfo where keyid=30000");
    Page().RunSearch("1390000");
    EXPECT_EQ(ListCaptions(), QStringList({"张三"}));
    Page().RunSearch("李四");
    EXPECT_EQ(ListCaptions(), QStringList());
    Page().RunSearch("z");
    EXPECT_EQ(ListCaptions(), QStringList({"周三", "张三", "赵六"}));  // by the names' text
}

TEST_F(BrowserTree, ImagesBySexTextAndNodeType)
{
    const std::pair<const char *, int> cases[] = {{"男", 3}, {"女", 4}, {"", 5}, {"未知", 5}, {" 男性 ", 3}, {"女士", 4}};
    std::vector<qint64> keys;
    for (const auto &[sex, image] : cases)
        keys.push_back(Contact("人" + QString::number(keys.size()), 0, 1, {{"uxb", QString::fromUtf8(sex)}}));
    const qint64 group = Group("组");
    for (size_t i = 0; i < keys.size(); ++i)
        EXPECT_EQ(Tfuserfrm::NodeImage(Node(keys[i])), cases[i].second) << cases[i].first;
    EXPECT_EQ(Tfuserfrm::NodeImage(Node(group)), 7);
    EXPECT_EQ(Tfuserfrm::NodeImage(Page().Root()), 1);
    // The list compares the whole text: "男性" is no "男" there.
    const QString male = QStringLiteral("男性");
    EXPECT_EQ(std::pair(ListContactImage(male), TreeContactImage(male)), std::pair(5, 3));
}

TEST_F(BrowserTree, GroupClickListsSubgroupsFirstThenContactsContactClickItsCard)
{
    const qint64 group = Group("客户");
    const qint64 key = Contact("张三", group, 2, {{"umtel", "13800000001"}, {"uemail", ""}, {"text1", "zs@b.com"}, {"ulevel", 3}});
    Group("大客户", group, 2);
    Contact("Amy", group, 2, {{"uxb", "女"}});
    Page().DyTreeView1->setCurrentItem(Node(group));
    EXPECT_EQ(ListCaptions(), QStringList({"大客户", "Amy", "张三"}));
    EXPECT_EQ(Page().ListSource(), TListSource::GroupChildren);
    const TListRow &zhang = Page().ListView1->Model()->Row(2);
    EXPECT_EQ(zhang.subItems, QStringList({"13800000001", "", "", ""}));  // umtel, uwtlp, stars, uemail
    EXPECT_EQ(zhang.record->email + zhang.record->ulevel, "zs@b.com3");
    EXPECT_EQ(Page().ListView1->Model()->Row(0).image * 10 + Page().ListView1->Model()->Row(1).image, 74);
    Page().DyTreeView1->setCurrentItem(Node(key));
    EXPECT_EQ(Page().CardKeyid(), QString::number(key));
    EXPECT_TRUE(Page().CardHtml().contains("13800000001"));
}

// After an import reloads the tree, the list shows its selection again with the new contacts, and
// the card keeps a contact of the list; a switch to a list without the card's contact empties it.
TEST_F(BrowserTree, AReloadListsTheSelectionAgainAndTheCardFollowsTheList)
{
    const qint64 group = Group("客户");
    const qint64 zhang = Contact("张三", group, 2);
    Contact("李四");
    const struct { const char *name; std::function<void()> select; QStringList before, after; } cases[] = {
        {"group", [&] { Page().DyTreeView1->setCurrentItem(Node(group)); }, {"张三"}, {"王五", "张三"}},
        {"quick view", [&] { Page().TreeView1Change(Page().TreeView1->topLevelItem(3)); },
         {"李四", "王五", "张三"}, {"李四", "王六", "王五", "张三"}},
        {"search", [&] { Page().RunSearch("三"); }, {"张三"}, {"张三", "赵三"}},
    };
    const char *added[] = {"王五", "王六", "赵三"};
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        cases[i].select();
        Page().DyTreeView1Exit();
        EXPECT_EQ(ListCaptions(), cases[i].before);
        Page().ShowContactCard(QString::number(zhang));
        Contact(QString::fromUtf8(added[i]), group, 2);
        Page().LoadGroupTree();
        EXPECT_EQ(ListCaptions(), cases[i].after);
        EXPECT_EQ(Page().CardKeyid(), QString::number(zhang));
    }
    Page().TreeView1Change(Page().TreeView1->topLevelItem(0));
    EXPECT_TRUE(ListCaptions().isEmpty());
    EXPECT_TRUE(Page().CardKeyid().isEmpty());
}

// The quick views on 2024-05-01, when three months back is 2024-02-01.
TEST_F(BrowserTree, QuickViewCountsInCaptionsFollowChangesAndListsExcludeGroups)
{
    FakeClock clock;
    SetClock(&clock);
    const struct ClockBack { ~ClockBack() { SetClock(nullptr); } } clockBack;
    AppSettings().FrequentViewCount = 5;
    AppSettings().RecentMonths = 3;
    const qint64 group = Group("组");
    Exec("update userinfo set ulevel=4 where keyid=?", {group});
    Contact("常客", group, 2, {{"readcount", 9}, {"activenewtime", "2024-04-30 10:00:00"}, {"ulevel", 1}});
    Contact("偶尔", 0, 1, {{"readcount", 4}, {"activenewtime", "2024-01-31 23:59:59"}, {"ulevel", 3}});
    Contact("重要", 0, 1, {{"readcount", 5}, {"activenewtime", "2024-2-1"}, {"ulevel", 4}});
    Contact("坏日", 0, 1, {{"activenewtime", "2024-02-30 10:00:00"}});  // no such day
    QTreeWidget *views = Page().TreeView1;
    const auto caption = [&](int view) { return views->topLevelItem(view)->text(0); };
    const struct { const char *caption; QStringList names; } cases[] = {
        {"常用人脉(2)", {"常客", "重要"}},
        {"最近联系(2)", {"常客", "重要"}},  // order: the stored texts, loose or not
        {"应多联系(2)", {"重要", "偶尔"}},
        {"所有人脉(4)", {"常客", "坏日", "偶尔", "重要"}},  // in pinyin order, as the tree lists them
    };
    for (int view = 0; view < 4; ++view) {
        EXPECT_EQ(caption(view), QString::fromUtf8(cases[view].caption));
        Page().TreeView1Change(views->topLevelItem(view));
        QStringList names = ListCaptions();
        if (view == 1)
            names.sort();
        EXPECT_EQ(names, cases[view].names) << view;
    }
    // The counts follow new, deleted and imported rows.
    const qint64 added = Contact("新来", 0, 1, {{"ulevel", 3}});
    Page().TreeView1Change(views->topLevelItem(2));  // a row written behind the page's back
    EXPECT_EQ(caption(2), "应多联系(3)");
    Page().ShowNewContact(QString::number(added));
    EXPECT_EQ(caption(3), "所有人脉(5)");
    Page().DyTreeView1->setCurrentItem(Node(added));
    TestDialogs().AnswerMessage(MsgResult::Yes);
    Page().treedeletenodeClick();
    EXPECT_EQ(caption(3), "所有人脉(4)");
    Contact("导入", 0, 1);
    Page().LoadGroupTree();  // after an import
    EXPECT_EQ(caption(3), "所有人脉(5)");
}

TEST_F(BrowserTree, TagTreeListsTheContactsOfATagWithAQuote)
{
    const qint64 a = Contact("张三");
    const qint64 b = Contact("李四");
    Contact("王五");
    Exec("insert into userplaces (placename) values ('say \"hi\"'), (' 北京 ')");
    Exec("insert into userlinkplace (keyid, placename) values (?, 'say \"hi\"'), (?, 'say \"hi\"'), (?, ' 北京 ')",
         {a, b, b});
    Page().LoadTagTree();
    QTreeWidgetItem *root = Page().TreeView2->topLevelItem(0);
    ASSERT_EQ(root->childCount(), 2);
    EXPECT_EQ(root->text(0), "标签");
    root->sortChildren(0, Qt::AscendingOrder);
    QTreeWidgetItem *quoted = root->child(0), *beijing = root->child(1);
    EXPECT_EQ(quoted->text(0) + '|' + beijing->text(0), "say \"hi\"|北京");
    Page().TreeView2Change(quoted);
    QStringList names = ListCaptions();
    names.sort();
    EXPECT_EQ(names, QStringList({"张三", "李四"}));
    Page().TreeView2Change(beijing);
    EXPECT_EQ(ListCaptions(), QStringList({"李四"}));
    // The root lists nothing.
    Page().TreeView2Change(root);
    EXPECT_EQ(ListCaptions(), QStringList({"李四"}));
}

TEST_F(BrowserTree, AutoExpandIsWrittenToTheSettings)
{
    for (bool on : {true, false}) {
        Page().N60Click();
        EXPECT_EQ(Page().AutoExpand() && Page().N60->Checked(), on);
        EXPECT_EQ(TIniFile(ConfigIniPath()).ReadBool("TREEVIEW", "AUTOEXPAND", !on), on);
    }
}

// The editor's side: a new contact goes under the selected group and shows at once. The export
// wizard hears of the selected node only while the tree has the focus.
TEST_F(BrowserTree, NewContactPlaceFollowsTheSelection)
{
    const qint64 group = Group("组");
    const qint64 sub = Group("子组", group, 2);
    const qint64 inside = Contact("甲", sub, 3);
    const auto placed = [&] {
        const TNodePlace place = Page().NewContactPlace();
        return QList<qint64>{place.ParentKey, place.Level, place.Index};
    };
    EXPECT_EQ(placed(), (QList<qint64>{0, 1, 0}));
    EXPECT_FALSE(Page().SelectedGroupTreeNode().has_value()) << "nothing selected yet";
    Page().DyTreeView1->setCurrentItem(Node(inside));
    const TNodePlace place = Page().NewContactPlace();
    EXPECT_EQ(placed(), (QList<qint64>{sub, 3, 2}));  // one more than the group's child count
    const std::optional<TGroupTreeNode> selected = Page().SelectedGroupTreeNode();
    ASSERT_TRUE(selected.has_value());
    EXPECT_EQ(selected->KeyId + '|' + QString::number(selected->NodeType), QString::number(inside) + "|2");
    // Focus leaving the tree (for the page's own 新建人脉 button) keeps the chosen group.
    Page().DyTreeView1Exit();
    EXPECT_EQ(Page().NewContactPlace().ParentKey, sub);
    EXPECT_FALSE(Page().SelectedGroupTreeNode().has_value());
    EXPECT_EQ(Page().DyTreeView1->currentItem(), nullptr);
    const qint64 added = Contact("乙", place.ParentKey, place.Level, {{"nodeindex", place.Index}});
    Page().ShowNewContact(QString::number(added));
    EXPECT_EQ(Shape(Node(group)), "组(子组(甲,乙))");
    EXPECT_EQ(Node(added)->parent(), Node(sub));
}

TEST_F(BrowserTree, UpdateContactNodeRenewsTextImagePlaceAndTheCardShowingThatContact)
{
    const qint64 group = Group("组");
    const qint64 a = Contact("安", group, 2);
    const qint64 b = Contact("贝", group, 2);
    Page().ShowContactCard(QString::number(a));
    Exec("update userinfo set uname='吕' where keyid=?", {b});
    Page().UpdateContactNode(QString::number(b));
    EXPECT_TRUE(Page().CardHtml().contains(">安</td>")) << "another contact's change leaves the card";
    Exec("update userinfo set uname='周', kzfield1='Z', uxb='女', umtel='1' where keyid=?", {a});
    Page().UpdateContactNode(QString::number(a));
    EXPECT_EQ(Shape(Node(group)), "组(吕,周)");
    EXPECT_EQ(Tfuserfrm::NodeImage(Node(a)), 4);
    EXPECT_TRUE(RecordOf(Node(a))->kzfield1 == "Z" && Page().CardHtml().contains(">周</td>"));
}

// Only a contact has a card to export, and the tree menu offers 导出名片 on a contact only; the card
// goes to the file the user names.
TEST_F(BrowserTree, ExportsTheSelectedContactToTheChosenFile)
{
    const QString folder = MakeTempDir(QStringLiteral("browser-card"));
    const qint64 contact = Contact("张三", 0, 1, {{"umtel", "13800000000"}, {"uxb", "男"}});
    const qint64 group = Group("组");
    const auto filesInFolder = [&] { return QDir(folder).entryList(QDir::Files, QDir::Name); };
    Page().show();
    QApplication::processEvents();
    PopupMenuRecorder menus;
    for (QTreeWidgetItem *node : {Node(group), Page().Root(), Node(contact)}) {
        SCOPED_TRACE(node->text(0).toStdString());
        emit Page().DyTreeView1->customContextMenuRequested(Page().DyTreeView1->visualItemRect(node).center());
        EXPECT_EQ(Page().DyTreeView1->currentItem(), node);
        EXPECT_EQ(Page().N1->Enabled(), node == Node(contact));
        ASSERT_FALSE(menus.opened.empty());
        EXPECT_EQ(menus.opened.back().State(QStringLiteral("导出名片")), node == Node(contact) ? "e" : "");
        menus.opened.clear();
        if (node != Node(contact))
            Page().N1Click();
    }
    EXPECT_TRUE(TestDialogs().Questions().empty());
    TestDialogs().AnswerCancel();
    Page().N1Click();
    EXPECT_TRUE(filesInFolder().isEmpty());
    EXPECT_EQ(TestDialogs().Questions().size(), 1u);
    TestDialogs().Reset();
    // The file the user named, not a prefix of the writer's own.
    const std::pair<QString, QString> cases[] = {
        {"/card.vcf", "card.vcf"}, {"/upper.VCF", "upper.VCF"}, {"/plain", "plain.vcf"}};
    for (const auto &[answer, written] : cases) {
        SCOPED_TRACE(answer.toStdString());
        TestDialogs().AnswerText(folder + answer);
        Page().N1Click();
        ASSERT_NE(TestDialogs().Last(), nullptr);
        EXPECT_EQ(TestDialogs().Last()->kind, "save");
        EXPECT_EQ(TestDialogs().Last()->caption, QStringLiteral("导出名片"));
        QFile file(folder + '/' + written);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QList<TContactRecord> cards = ParseVCards(file.readAll());
        ASSERT_EQ(cards.size(), 1);
        EXPECT_EQ(cards[0].value("uname") + cards[0].value("umtel") + cards[0].value("uxb"), "张三13800000000男");
    }
    EXPECT_EQ(filesInFolder(), QStringList({"card.vcf", "plain.vcf", "upper.VCF"}));
    EXPECT_EQ(TestDialogs().Questions().size(), 3u) << "no message after a card was written";
    const QString unwritable = folder + "/missing/card.vcf";
    TestDialogs().AnswerText(unwritable);
    Page().N1Click();
    ASSERT_EQ(TestDialogs().Questions().size(), 5u);
    EXPECT_EQ(TestDialogs().Last()->kind, "message");
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("无法写入文件 ") + unwritable);
    EXPECT_EQ(TestDialogs().Last()->icon, MsgIcon::Warning);
    // A contact deleted since the tree was loaded has no card to write.
    Exec("delete from userinfo where keyid=?", {contact});
    TestDialogs().AnswerText(folder + "/gone.vcf");
    Page().N1Click();
    EXPECT_EQ(TestDialogs().Last()->kind, "message");
    EXPECT_FALSE(QFile::exists(folder + "/gone.vcf"));
}

} // namespace

// The quick view of recent contacts takes a stored yyyy-mm-dd text as it is only when it is a
// real date; the fast test must answer as the engine's date() does.
TEST_F(BrowserTree, RecentContactsTellRealDatesAsTheEngineDoes)
{
    Page();  // the page registers the test on its connection
    const char *const texts[] = {"2024-02-29", "2023-02-29", "2000-02-29", "1900-02-29", "2023-04-31", "2023-04-30",
                                 "2023-12-31", "2023-13-01", "2023-00-10", "2023-01-00", "2023-01-32", "1000-01-01",
                                 "9999-12-31", "2023-1-01",  "abcd-ef-gh", "2023-01-01 10:00", "2023/01/01", ""};
    const QString engine = "select ?1 glob '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*' and "
                           "date(substr(?1,1,10),'+0 days')=substr(?1,1,10)";
    for (const char *text : texts)
        EXPECT_EQ(Value("select isodate(?)", {text}).toInt(), Value(engine, {text}).toInt()) << text;
    EXPECT_TRUE(Value("select isodate('0999-01-01')").isNull());  // left to the engine
    EXPECT_EQ(Value("select isodate(20230101)").toInt(), 0);
}
