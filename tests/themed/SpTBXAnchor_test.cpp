// Anchored items and right-anchored controls of a stretched toolbar keep their distance from the
// toolbar's far edge as the form is resized, growing and shrinking by what the toolbar did.
#include "platform/Forms.h"
#include "themed/SpTBXItem.h"
#include "themed/TBXNexus.h"
#include "toolbar/TB2ItemView.h"
#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct TAnchorForm {
    TForm Form{nullptr};
    TSpTBXDock *Dock = nullptr;
    TSpTBXToolbar *Bar = nullptr;
    TSpTBXItem *Anchored = nullptr;
    TCustomControl *Edit = nullptr;
    explicit TAnchorForm(bool stretch)
    {
        SetCurrentTheme("Default");
        Form.SetBounds(100, 100, 400, 200);
        Dock = new TSpTBXDock(&Form);
        Dock->SetParent(&Form);
        Bar = new TSpTBXToolbar(&Form);
        Bar->SetStretch(stretch);
        auto *plain = new TSpTBXItem(nullptr);
        plain->SetCaptionW("固定");
        Bar->Items()->Add(plain);
        Anchored = new TSpTBXItem(nullptr);
        Anchored->SetCaptionW("伸展");
        Anchored->SetAnchored(true);
        Bar->Items()->Add(Anchored);
        Edit = new TCustomControl(&Form);
        Edit->SetBounds(0, 0, 80, 20);
        Edit->SetAnchors({TAnchorKind::akLeft, TAnchorKind::akRight});
        Bar->InsertControl(Edit);
        Bar->SetCurrentDock(Dock);
        Form.Show();
        QCoreApplication::processEvents();
    }
    int AnchoredWidth() const { return Bar->View()->Find(Anchored)->BoundsRect.Width(); }
    void SetFormWidth(int w)
    {
        Form.SetBounds(100, 100, w, 200);
        QCoreApplication::processEvents();
    }
};

TEST(SpTBXToolbarAnchors, AnchoredItemsAndControlsFollowAStretchedToolbar)
{
    TAnchorForm f(true);
    const int item = f.AnchoredWidth(), bar = f.Bar->Width();
    ASSERT_GT(item, 0);
    ASSERT_EQ(f.Bar->ItemCache().size(), 1u);
    const TSpTBXItemCache first = f.Bar->ItemCache()[0];
    EXPECT_EQ(first.Width, 80) << "recorded when first seen";
    // Wider, then narrower again: both take what the toolbar gained since they were recorded.
    for (int formWidth : {600, 500, 700}) {
        SCOPED_TRACE(formWidth);
        f.SetFormWidth(formWidth);
        ASSERT_GT(f.Bar->Width(), bar) << "a stretched toolbar takes the dock's width";
        EXPECT_EQ(f.AnchoredWidth(), item + f.Bar->Width() - bar);
        EXPECT_EQ(f.Edit->Width(), first.Width + f.Bar->Width() - first.ParentWidth);
    }
    // A control that no longer qualifies leaves the cache and keeps its width.
    const int edit = f.Edit->Width();
    f.Edit->SetAnchors({TAnchorKind::akLeft});
    f.SetFormWidth(550);
    EXPECT_TRUE(f.Bar->ItemCache().empty());
    EXPECT_EQ(f.Edit->Width(), edit);
}

THintWindow *ShownHint()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *hint = dynamic_cast<THintWindow *>(w); hint && hint->isVisible())
            return hint;
    return nullptr;
}

// A wide-string item's hint over a toolbar is the bitmap hint: a picture of the text sized to
// it, gone when the pointer leaves the item.
TEST(SpTBXToolbarHintsAndLabels, AWideItemsHintIsABitmapAndALabelsAcceleratorFocusesItsControl)
{
    TAnchorForm f(false);
    f.Anchored->SetHintW("伸展的提示|更长的说明");
    EXPECT_EQ(f.Anchored->GetWideHintText(), "伸展的提示") << "the short part";
    f.Bar->SetShowHint(true);
    const TRect r = f.Bar->View()->Find(f.Anchored)->BoundsRect;
    // Viewer rectangles are in client coordinates, events in the window's.
    const auto local = [&f](int x, int y) { return f.Bar->mapFromGlobal(f.Bar->ClientToScreen({x, y}).ToQPoint()); };
    const QPoint at = local(r.Left + 2, r.Top + 2);
    QHelpEvent help(QEvent::ToolTip, at, f.Bar->mapToGlobal(at));
    QCoreApplication::sendEvent(f.Bar, &help);
    THintWindow *hint = ShownHint();
    ASSERT_NE(hint, nullptr);
    EXPECT_NE(dynamic_cast<TBitmapHint *>(hint), nullptr);
    EXPECT_EQ(hint->Width(), SpHintBitmap().Width() - 2);
    EXPECT_EQ(hint->Height(), SpHintBitmap().Height() - 2);
    // Inside the item it stays; outside it goes.
    QMouseEvent inside(QEvent::MouseMove, QPointF(at), QPointF(f.Bar->mapToGlobal(at)), Qt::NoButton, {}, {});
    QCoreApplication::sendEvent(f.Bar, &inside);
    EXPECT_EQ(ShownHint(), hint);
    const QPoint out = local(r.Right + 40, r.Top + 2);
    QMouseEvent outside(QEvent::MouseMove, QPointF(out), QPointF(f.Bar->mapToGlobal(out)), Qt::NoButton, {}, {});
    QCoreApplication::sendEvent(f.Bar, &outside);
    EXPECT_EQ(ShownHint(), nullptr);
    // A label's accelerator focuses the linked control.
    // A toolbar sized by its items does not anchor: no growth fed back through its own size.
    const int item = f.AnchoredWidth(), edit = f.Edit->Width();
    f.SetFormWidth(700);
    f.Anchored->SetCaptionW("伸展更长的标题");
    QCoreApplication::processEvents();
    EXPECT_EQ(f.Edit->Width(), edit) << "no anchoring";
    EXPECT_LT(f.AnchoredWidth(), item + 150) << "no anchoring";
    auto *target = new TCustomControl(&f.Form);
    target->SetParent(&f.Form);
    target->SetBounds(10, 100, 80, 20);
    target->SetTabStop(true);
    auto *label = new TSpTBXLabelItem(nullptr);
    label->SetCaptionW("姓名(&N)");
    label->SetControl(target);
    f.Bar->Items()->Add(label);
    f.Form.activateWindow();
    f.Edit->SetFocus();
    QCoreApplication::processEvents();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_X, Qt::AltModifier);
    EXPECT_FALSE(target->Focused()) << "another letter leaves the focus";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(target->Focused());
}

// Alt and a label's accelerator focus the control the label names, before any menu sees it.
} // namespace
