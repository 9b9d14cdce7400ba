#pragma once
// The framework's demonstration form: a menu bar (its "皮肤" menu lists the registered themes)
// and a tool bar in the top dock, one in a left dock, a floating tool bar, a panel with buttons,
// and a status bar. Shared by the screenshot program and the theme-switch benchmark. Register
// the themes before making it.
#include "themed/SpTBXDkPanels.h"
#include "themed/SpTBXItem.h"

#include "platform/Forms.h"
#include "platform/ImgList.h"

#include <memory>

struct TDemoForm {
    TDemoForm();
    ~TDemoForm();

    // Floats the third tool bar beside the form (the form must be shown).
    void FloatThirdToolbar();
    // Opens the "工具" menu as a popup window under its item, its second item hot.
    void OpenFileMenu();
    void CloseMenus();

    TForm *Form = nullptr;
    TImageList *Images = nullptr;
    TSpTBXDock *Dock = nullptr;
    TSpTBXDock *LeftDock = nullptr;
    TSpTBXToolbar *MenuBar = nullptr;
    TSpTBXToolbar *Standard = nullptr;
    TSpTBXToolbar *Format = nullptr;
    TSpTBXToolbar *Floating = nullptr;
    TSpTBXSubmenuItem *FileMenu = nullptr;
    TSpTBXStatusBar *StatusBar = nullptr;
    TSpTBXTextObject *Panel = nullptr;
};
