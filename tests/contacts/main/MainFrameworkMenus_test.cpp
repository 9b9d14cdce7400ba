#include "contacts/shared/Commands.h"
#include "contacts/shared/FrameworkCommandBuilder.h"

#include "main/MainTestSupport.h"
#include "platform/Menus.h"
#include "toolbar/TB2Item.h"
#include "toolbar/TB2ItemWindow.h"

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

using MainFrameworkMenus = MainWindowFixture;

// Every command of the window's tables, as its framework item: same caption, key and state, and
// a click reaches the command; later changes of the command reach the item.
TEST_F(MainFrameworkMenus, EveryCommandOfTheTablesWorksFromItsFrameworkItem)
{
    ResetAppData();
    MakeWindow();
    for (const char *name : {"SpTBXToolbar1", "SpTBXToolbar2", "TBPopupMenu1", "ShortcutCarriers"}) {
        SCOPED_TRACE(name);
        TCommand *root = main->Command(QString::fromLatin1(name));
        ASSERT_NE(root, nullptr);
        std::vector<TCommand *> commands;
        Collect(*root, commands);
        TFrameworkCommandBuilder builder(nullptr);
        TTBPopupMenu popup(nullptr);
        builder.Fill(popup.Items(), *root);

        int checked = 0;
        for (TCommand *command : commands) {
            if (command->Kind() != TCommandKind::Item)
                continue;
            SCOPED_TRACE(command->Name().toStdString());
            ++checked;
            const bool enabled = command->Enabled();
            const std::vector<TTBCustomItem *> items = builder.ItemsOf(*command);
            ASSERT_FALSE(items.empty()) << "every command of the table is shown";
            int clicks = 0;
            command->OnClick = [&clicks] { ++clicks; };
            for (TTBCustomItem *item : items) {
                EXPECT_EQ(item->Caption(), command->Caption());
                EXPECT_EQ(ShortCutToText(item->ShortCut()), command->ShortCut().toString(QKeySequence::PortableText));
                EXPECT_EQ(item->Enabled(), enabled);
                EXPECT_EQ(item->Visible(), command->Visible());
                EXPECT_EQ(item->Checked(), command->Checked());
                const int before = clicks;
                item->Click();
                EXPECT_EQ(clicks, before + (enabled ? 1 : 0));
            }
            command->OnClick = nullptr;
            command->SetEnabled(!enabled);
            for (TTBCustomItem *item : items)
                EXPECT_EQ(item->Enabled(), !enabled) << "the item follows its command";
        }
        EXPECT_GT(checked, 0);
    }
}

} // namespace
