// The main window's commands that act on the contact browser page. Each does nothing while the
// calendar page is shown.
#include "main/Main.h"

#include <QLineEdit>

IBrowserPage *Tfrmmain::VisibleBrowser() const
{
    return BrowserPageVisible() ? browser_ : nullptr;
}

void Tfrmmain::SpTBXItem26Click()
{
    if (IBrowserPage *page = VisibleBrowser())
        page->NewGroup();
}

void Tfrmmain::CustomItem6Click()
{
    if (IBrowserPage *page = VisibleBrowser())
        page->listviewdeleteClick();
}

void Tfrmmain::SpTBXItem16Click()
{
    IBrowserPage *page = VisibleBrowser();
    if (!page)
        return;
    if (page->ListShowsSelection())
        page->listviewdeleteClick();
    else
        page->treedeletenodeClick();
}

void Tfrmmain::SpTBXItem20Click()
{
    if (IBrowserPage *page = VisibleBrowser())
        page->N7Click();
}

void Tfrmmain::SpTBXItem27Click()
{
    if (IBrowserPage *page = VisibleBrowser())
        page->N8Click();
}

void Tfrmmain::SpTBXItem35Click()
{
    if (IBrowserPage *page = VisibleBrowser())
        page->N14Click();
}

void Tfrmmain::SpTBXItem37Click()
{
    if (IBrowserPage *page = VisibleBrowser())
        page->N15Click();
}

void Tfrmmain::SpTBXItem38Click()
{
    if (IBrowserPage *page = VisibleBrowser())
        page->N12Click();
}

void Tfrmmain::SpTBXItem40Click()
{
    if (IBrowserPage *page = VisibleBrowser())
        page->N13Click();
}

void Tfrmmain::ViewStyle0Click()
{
    if (IBrowserPage *page = VisibleBrowser())
        page->SetViewStyle(0);
}

void Tfrmmain::ViewStyle1Click()
{
    if (IBrowserPage *page = VisibleBrowser())
        page->SetViewStyle(1);
}

void Tfrmmain::ViewStyle2Click()
{
    if (IBrowserPage *page = VisibleBrowser())
        page->SetViewStyle(2);
}

void Tfrmmain::ViewStyle3Click()
{
    if (IBrowserPage *page = VisibleBrowser())
        page->SetViewStyle(3);
}

void Tfrmmain::SpeedButton1Click()
{
    if (IBrowserPage *page = VisibleBrowser())
        page->RunSearch(findEdit1->text());
}
