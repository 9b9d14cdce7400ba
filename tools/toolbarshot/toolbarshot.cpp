// Renders a form with a menu bar and two toolbars in docks into PNGs, to look at by eye:
//   toolbarshot [output.png]
// The second toolbar is floated (output-floating.png shows it then) and docked back to the left;
// the first is too long for its row and shows the chevron. Runs on the offscreen platform unless
// another one is asked for.
#include "platform/Forms.h"
#include "toolbar/TB2Toolbar.h"

#include <QApplication>
#include <QFileInfo>
#include <QFont>
#include <QPixmap>
#include <cstdio>

namespace {

class TSubmenuItem : public TTBCustomItem
{
public:
    TSubmenuItem(TComponent *AOwner, const QString &Caption) : TTBCustomItem(AOwner)
    {
        SetItemStyle(ItemStyle() | tbis::HasSubmenu | tbis::HoldsChildItems);
        SetCaption(Caption);
    }
};

void AddItems(TTBCustomItem *Parent, TComponent *Owner, const QStringList &Captions)
{
    for (const QString &c : Captions) {
        auto *item = new TTBItem(Owner);
        item->SetCaption(c);
        Parent->Add(item);
    }
}

bool Save(QWidget *w, const QString &file)
{
    const bool ok = w->grab().save(file);
    if (!ok)
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 9));
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("toolbars.png");
    const QFileInfo info(output);
    const QString floatingOutput = info.path() + "/" + info.completeBaseName() + "-floating.png";

    TForm form(nullptr);
    form.SetCaption(QStringLiteral("Orvanta"));
    form.SetBounds(40, 40, 380, 260);
    Application()->SetMainForm(&form);
    auto *top = new TTBDock(&form);
    top->SetParent(&form);
    top->SetBoundLines({TTBDockBoundLinesValue::blTop, TTBDockBoundLinesValue::blBottom});
    auto *left = new TTBDock(&form);
    left->SetPosition(TTBDockPosition::dpLeft);
    left->SetParent(&form);

    auto *menu = new TTBToolbar(&form);
    menu->SetName(QStringLiteral("MenuBar"));
    menu->SetMenuBar(true);
    const QStringList menus = {QStringLiteral("文件(&F)"), QStringLiteral("编辑(&E)"), QStringLiteral("查看(&V)"),
                               QStringLiteral("帮助(&H)")};
    for (const QString &m : menus) {
        auto *sub = new TSubmenuItem(&form, m);
        AddItems(sub, &form, {QStringLiteral("新建(&N)"), QStringLiteral("打开(&O)")});
        menu->Items()->Add(sub);
    }
    menu->SetCurrentDock(top);

    auto *tools = new TTBToolbar(&form);
    tools->SetName(QStringLiteral("Tools"));
    tools->SetCaption(QStringLiteral("工具栏"));
    AddItems(tools->Items(), &form,
             {QStringLiteral("新建"), QStringLiteral("打开"), QStringLiteral("保存"), QStringLiteral("打印"),
              QStringLiteral("剪切"), QStringLiteral("复制"), QStringLiteral("粘贴"), QStringLiteral("查找"),
              QStringLiteral("替换"), QStringLiteral("设置"), QStringLiteral("帮助")});
    tools->SetDockRow(1);
    tools->SetCurrentDock(top);

    auto *contacts = new TTBToolbar(&form);
    contacts->SetName(QStringLiteral("Contacts"));
    contacts->SetCaption(QStringLiteral("联系人"));
    contacts->SetHideWhenInactive(false);
    AddItems(contacts->Items(), &form,
             {QStringLiteral("添加"), QStringLiteral("编辑"), QStringLiteral("删除"), QStringLiteral("分组")});
    contacts->SetDockRow(1);
    contacts->SetCurrentDock(top);

    form.Show();
    QApplication::processEvents();

    contacts->SetFloatingPosition(form.ClientToScreen({160, 140}));
    contacts->SetFloating(true);
    QApplication::processEvents();
    if (!contacts->FloatingWindowParent() || !Save(contacts->FloatingWindowParent(), floatingOutput))
        return 1;
    contacts->SetCurrentDock(left);
    QApplication::processEvents();
    if (!Save(&form, output))
        return 1;
    std::printf("%s\n%s\nchevron shown: %s\n", qPrintable(output), qPrintable(floatingOutput),
                tools->View()->Viewers(tools->View()->ViewerCount() - 1)->Show ? "yes" : "no");
    return 0;
}
