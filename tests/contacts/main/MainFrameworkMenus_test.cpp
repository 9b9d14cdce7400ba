#include "contacts/shared/Commands.h"
#include "contacts/shared/FrameworkCommandBuilder.h"

#include "main/MainTestSupport.h"
#include "platform/Menus.h"
#include "toolbar/TB2Item.h"
#include "toolbar/TB2ItemWindow.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

// Every command of a root, sub-menus and groups opened, each once.
void Collect(TCommand &root, std::vector<TCommand *> &into)
{
    for (TCommand *command : root.Items()) {
        if (command->Kind() == TCommandKind::Separator || std::find(into.begin(), into.end(), command) != into.end())
            continue;
        into.push_back(command);
        Collect(*command, into);
    }
}

class MainFrameworkMenus : public ::testing::TestWithParam<const char *>
{
protected:
    void SetUp() override
    {
        ResetAppData();
        main = std::make_unique<Tfrmmain>(std::make_unique<RecordingHotKeys>(&hotKeys));
    }
    void TearDown() override
    {
        popup.reset(), builder.reset(), main.reset();
        CurrentAccount().Forget();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::map<int, THotKey> hotKeys;
    std::unique_ptr<Tfrmmain> main;
    std::unique_ptr<TFrameworkCommandBuilder> builder;
    std::unique_ptr<TTBPopupMenu> popup;
};

// Every command of the window's tables, as its framework item: same caption, key and state, and
// a click reaches the command; later changes of the command reach the item.
TEST_P(MainFrameworkMenus, EveryCommandOfTheTablesWorksFromItsFrameworkItem)
{
    TCommand *root = main->Command(QString::fromLatin1(GetParam()));
    ASSERT_NE(root, nullptr);
    std::vector<TCommand *> commands;
    Collect(*root, commands);

    struct TSeen {
        QString caption;
        QKeySequence key;
        bool enabled, visible, checked;
    };
    std::map<TCommand *, TSeen> expected;
    for (TCommand *c : commands)
        if (c->Kind() == TCommandKind::Item)
            expected[c] = {c->Caption(), c->ShortCut(), c->Enabled(), c->Visible(), c->Checked()};
    ASSERT_FALSE(expected.empty());

    builder = std::make_unique<TFrameworkCommandBuilder>(nullptr);
    popup = std::make_unique<TTBPopupMenu>(nullptr);
    builder->Fill(popup->Items(), *root);

    for (auto &[command, seen] : expected) {
        SCOPED_TRACE(command->Name().toStdString());
        const std::vector<TTBCustomItem *> items = builder->ItemsOf(*command);
        ASSERT_FALSE(items.empty()) << "every command of the table is shown";
        int clicks = 0;
        command->OnClick = [&clicks] { ++clicks; };
        for (TTBCustomItem *item : items) {
            EXPECT_EQ(item->Caption(), seen.caption);
            EXPECT_EQ(ShortCutToText(item->ShortCut()), seen.key.toString(QKeySequence::PortableText));
            EXPECT_EQ(item->Enabled(), seen.enabled);
            EXPECT_EQ(item->Visible(), seen.visible);
            EXPECT_EQ(item->Checked(), seen.checked);
            const int before = clicks;
            item->Click();
            EXPECT_EQ(clicks, before + (seen.enabled ? 1 : 0));
        }
        command->SetEnabled(!seen.enabled);
        for (TTBCustomItem *item : items)
            EXPECT_EQ(item->Enabled(), !seen.enabled) << "the item follows its command";
    }
}

INSTANTIATE_TEST_SUITE_P(Roots, MainFrameworkMenus,
                         ::testing::Values("SpTBXToolbar1", "SpTBXToolbar2", "TBPopupMenu1", "ShortcutCarriers"));

TEST(FrameworkCommandBuilder, SubmenusOpenThroughTheirCommandAndThemeChecksFollow)
{
    TCommandList list;
    TCommand &themes = list.Add(TCommandKind::Group, "Themes");
    for (const char *name : {"Default", "Aluminum"}) {
        TCommand &item = list.Add(TCommandKind::Item, QString());
        item.SetCaption(QString::fromLatin1(name));
        item.SetRadioItem(true);
        item.OnClick = [&themes, &item] {
            for (TCommand *other : themes.Items())
                other->SetChecked(other == &item);
        };
        themes.Add(item);
    }
    TCommand &root = list.Define("Bar", {SubmenuRow("Skins", "皮肤"), IncludeRow("Themes"), EndRow()});
    int popups = 0;
    list.Command("Skins")->OnPopup = [&popups] { ++popups; };

    TFrameworkCommandBuilder builder(nullptr);
    TTBPopupMenu menu(nullptr);
    builder.Fill(menu.Items(), root);
    ASSERT_EQ(menu.Items()->Count(), 1);
    TTBCustomItem *skins = menu.Items()->Items(0);
    ASSERT_EQ(skins->Count(), 2) << "a group's items sit in the menu itself";
    skins->DoPopup(skins, false);
    EXPECT_EQ(popups, 1);
    skins->Items(1)->Click();
    EXPECT_TRUE(skins->Items(1)->Checked());
    EXPECT_TRUE(skins->Items(1)->RadioItem());
    EXPECT_FALSE(skins->Items(0)->Checked());
}

} // namespace
