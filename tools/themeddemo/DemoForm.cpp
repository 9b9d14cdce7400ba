#include "DemoForm.h"

#include "platform/SysColors.h"

namespace {

TImageList *MakeImages(TComponent *owner)
{
    auto *list = new TImageList(owner);
    const TColor colors[] = {0x00D07030, 0x0030A030, 0x003030D0, 0x0000B0E0, 0x00A040A0, 0x00808080};
    for (TColor c : colors) {
        TBitmap bmp;
        bmp.SetSize(16, 16);
        TCanvas &cv = *bmp.Canvas();
        cv.Brush()->SetColor(clFuchsia);
        cv.FillRect(Rect(0, 0, 16, 16));
        cv.Brush()->SetColor(c);
        cv.Pen()->SetColor(clBlack);
        cv.Ellipse(Rect(2, 2, 14, 14));
        list->AddMasked(&bmp, clFuchsia);
    }
    return list;
}

TSpTBXItem *AddItem(TTBCustomItem *parent, const QString &caption, int image = -1)
{
    auto *item = new TSpTBXItem(nullptr);
    item->SetCaptionW(caption);
    item->SetImageIndex(image);
    parent->Add(item);
    return item;
}

TSpTBXToolbar *AddToolbar(TDemoForm &d, const QString &caption, int row)
{
    auto *bar = new TSpTBXToolbar(d.Form);
    bar->SetCaption(caption);
    bar->SetHideWhenInactive(false);
    bar->SetImages(d.Images);
    bar->SetDockRow(row);
    bar->SetCurrentDock(d.Dock);
    return bar;
}

} // namespace

TDemoForm::TDemoForm()
{
    Form = new TForm(nullptr);
    Form->SetCaption(QStringLiteral("Orvanta 主题演示"));
    Form->setWindowTitle(Form->Caption());
    Form->SetBounds(20, 20, 620, 380);
    Images = MakeImages(Form);

    Dock = new TSpTBXDock(Form);
    Dock->SetParent(Form);

    MenuBar = AddToolbar(*this, QStringLiteral("菜单"), 0);
    MenuBar->SetMenuBar(true);
    // The menu shown open is the fourth, so the tool bars stay in sight beside it.
    for (const char *caption : {"文件(&F)", "编辑(&E)", "查看(&V)"}) {
        auto *menu = new TSpTBXSubmenuItem(nullptr);
        menu->SetCaptionW(QString::fromUtf8(caption));
        AddItem(menu, QStringLiteral("选项"));
        MenuBar->Items()->Add(menu);
    }
    FileMenu = new TSpTBXSubmenuItem(nullptr);
    FileMenu->SetCaptionW(QStringLiteral("工具(&T)"));
    MenuBar->Items()->Add(FileMenu);
    AddItem(FileMenu, QStringLiteral("新建联系人(&N)\tCtrl+N"), 0);
    AddItem(FileMenu, QStringLiteral("打开账户(&O)..."), 1);
    auto *checked = AddItem(FileMenu, QStringLiteral("显示分组"));
    checked->SetChecked(true);
    auto *recent = new TSpTBXSubmenuItem(nullptr);
    recent->SetCaptionW(QStringLiteral("最近打开"));
    FileMenu->Add(recent);
    AddItem(recent, QStringLiteral("默认账户"));
    FileMenu->Add(new TSpTBXSeparatorItem(nullptr));
    auto *disabled = AddItem(FileMenu, QStringLiteral("导出(&E)"), 2);
    disabled->SetEnabled(false);
    AddItem(FileMenu, QStringLiteral("退出(&X)"));
    auto *skins = new TSpTBXSubmenuItem(nullptr);
    skins->SetCaptionW(QStringLiteral("皮肤(&S)"));
    skins->Add(new TSpTBXThemeGroupItem(nullptr));
    MenuBar->Items()->Add(skins);
    auto *help = new TSpTBXSubmenuItem(nullptr);
    help->SetCaptionW(QStringLiteral("帮助(&H)"));
    AddItem(help, QStringLiteral("关于"));
    MenuBar->Items()->Add(help);

    Standard = AddToolbar(*this, QStringLiteral("标准"), 1);
    AddItem(Standard->Items(), QStringLiteral("新建"), 0);
    AddItem(Standard->Items(), QStringLiteral("打开"), 1);
    Standard->Items()->Add(new TSpTBXSeparatorItem(nullptr));
    AddItem(Standard->Items(), QString(), 2)->SetChecked(true);
    AddItem(Standard->Items(), QString(), 3)->SetEnabled(false);

    LeftDock = new TSpTBXDock(Form);
    LeftDock->SetPosition(TTBDockPosition::dpLeft);
    LeftDock->SetParent(Form);
    Format = AddToolbar(*this, QStringLiteral("格式"), 0);
    Format->SetCurrentDock(LeftDock);
    AddItem(Format->Items(), QString(), 4);
    auto *drop = new TSpTBXSubmenuItem(nullptr);
    drop->SetImageIndex(5);
    drop->SetDropdownCombo(true);
    AddItem(drop, QStringLiteral("其他"));
    Format->Items()->Add(drop);

    Floating = AddToolbar(*this, QStringLiteral("浮动"), 2);
    AddItem(Floating->Items(), QStringLiteral("提醒"), 3);
    AddItem(Floating->Items(), QString(), 4);

    StatusBar = new TSpTBXStatusBar(Form);
    StatusBar->SetParent(Form);
    auto *ready = new TSpTBXLabelItem(nullptr);
    ready->SetCaptionW(QStringLiteral("就绪"));
    ready->SetCustomWidth(200);
    StatusBar->Items()->Add(ready);
    StatusBar->Items()->Add(new TSpTBXSeparatorItem(nullptr));
    auto *count = new TSpTBXLabelItem(nullptr);
    count->SetCaptionW(QStringLiteral("联系人: 128"));
    StatusBar->Items()->Add(count);

    Panel = new TSpTBXTextObject(Form);
    Panel->SetCaptionW(QStringLiteral("主题面板：按钮与文字随主题变化"));
    Panel->SetBounds(80, 110, 300, 24);
    Panel->SetParent(Form);
    const char *captions[] = {"确定", "取消", "应用"};
    for (int i = 0; i < 3; ++i) {
        auto *button = new TSpTBXButton(Form);
        button->SetCaptionW(QString::fromUtf8(captions[i]));
        button->SetThemeType(TSpTBXThemeType::thtTBX);
        button->SetBounds(80 + i * 90, 150, 80, 26);
        button->SetDefault(i == 0);
        button->SetParent(Form);
    }
}

TDemoForm::~TDemoForm()
{
    CloseMenus();
    delete Form;
}

void TDemoForm::FloatThirdToolbar()
{
    Floating->SetFloatingPosition(Form->ClientToScreen({420, 150}));
    Floating->SetFloating(true);
}

void TDemoForm::OpenFileMenu()
{
    TTBView *view = MenuBar->View();
    TTBItemViewer *viewer = view->Find(FileMenu);
    if (!viewer)
        return;
    view->Select(viewer, false);
    view->OpenChildPopup(false);
    TTBView *popup = view->OpenViewerView();
    if (popup && popup->ViewerCount() > 1)
        popup->Select(popup->Viewers(1), false);
}

void TDemoForm::CloseMenus()
{
    if (MenuBar)
        MenuBar->View()->CloseChildPopups();
}
