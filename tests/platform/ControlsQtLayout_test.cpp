// A control inside a Qt layout takes the size the layout gives it, also while hidden.
#include "platform/Controls.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace {

// A control in a Qt layout is sized by the layout when it shows (the layout passes over hidden
// widgets); its own bounds follow, also when it is shown through its Visible.
TEST(ControlsInQtLayouts, AControlShownLaterTakesTheLayoutsSize)
{
    QWidget page;
    auto *layout = new QHBoxLayout(&page);
    auto *control = new TCustomControl(nullptr);
    control->setParent(&page);
    control->setMinimumWidth(160);
    control->SetVisible(false);
    layout->addWidget(control);
    page.resize(400, 60);
    page.show();
    QApplication::processEvents();
    control->SetVisible(true);
    QApplication::processEvents();
    EXPECT_GE(control->width(), 160);
    EXPECT_EQ(control->Width(), control->width());
    EXPECT_EQ(control->ClientWidth(), control->width());
}

} // namespace
