#include "toolbar/TB2Consts.h"
#include "toolbar/TB2Item.h"

#include <QCoreApplication>
#include <QPointer>
#include <gtest/gtest.h>

namespace {

using A = TTBItemChangedAction;

struct Notice {
    TTBCustomItem *Sender; bool Relayed; A Action; int Index; TTBCustomItem *Item;
    friend bool operator==(const Notice &, const Notice &) = default;
};

struct Recorder {
    std::vector<Notice> log;
    std::function<void()> during;
    void On(TTBCustomItem *s, bool r, A a, int i, TTBCustomItem *it)
    {
        log.push_back({s, r, a, i, it});
        if (during)
            during();
    }
    void Listen(TTBCustomItem *item) { item->RegisterNotification(&TBMethodListener<Recorder, &Recorder::On>, this); }
    void Leave(TTBCustomItem *item) { item->UnregisterNotification(&TBMethodListener<Recorder, &Recorder::On>, this); }
    std::vector<A> Actions() const
    {
        std::vector<A> out;
        for (const Notice &n : log)
            out.push_back(n.Action);
        return out;
    }
};

// A root with `n` plain children.
std::unique_ptr<TTBRootItem> Tree(int n)
{
    auto root = std::make_unique<TTBRootItem>(nullptr);
    for (int i = 0; i < n; ++i)
        root->Add(new TTBItem(nullptr));
    return root;
}

// A new child of `parent`, of the given kind.
template <class T = TTBItem>
T *Child(TTBCustomItem *parent)
{
    auto *item = new T(nullptr);
    parent->Add(item);
    return item;
}

void RunPostedMessages()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(TB2Item, ShortCutSearchFollowsAtMost25Links)
{
    const TShortCut f5 = ShortCut(VK_F1 + 4, {});
    for (int links : {25, 26}) {
        std::vector<std::unique_ptr<TTBItem>> lists;
        for (int i = 0; i <= links; ++i)
            lists.push_back(std::make_unique<TTBItem>(nullptr));
        for (int i = 0; i < links; ++i) {
            auto *hop = new TTBItem(nullptr);
            lists[size_t(i)]->Add(hop);
            hop->SetLinkSubitems(lists[size_t(i) + 1].get());
        }
        auto *target = new TTBItem(nullptr);
        target->SetShortCut(f5);
        lists.back()->Add(target);
        EXPECT_EQ(lists.front()->IsShortCut(f5), links == 25) << links;
    }
}

TEST(TB2Item, ListMisuseRaisesTheTextsAndChangesNothing)
{
    using Op = std::function<void(TTBRootItem &, TTBCustomItem &loose)>;
    const struct { const char *name; Op op; const QString &text; } cases[] = {
        {"GetItem at Count", [](TTBRootItem &r, TTBCustomItem &) { r.GetItem(3); }, STBItemIndexOutOfRange},
        {"Delete at -1", [](TTBRootItem &r, TTBCustomItem &) { r.Delete(-1); }, STBItemIndexOutOfRange},
        {"Insert past Count", [](TTBRootItem &r, TTBCustomItem &l) { r.Insert(4, &l); }, STBItemIndexOutOfRange},
        {"Move to Count", [](TTBRootItem &r, TTBCustomItem &) { r.Move(0, 3); }, STBItemIndexOutOfRange},
        {"Move from Count", [](TTBRootItem &r, TTBCustomItem &) { r.Move(3, 0); }, STBItemIndexOutOfRange},
        {"Move from -1", [](TTBRootItem &r, TTBCustomItem &) { r.Move(-1, 1); }, STBItemIndexOutOfRange},
        {"reinsert under the same parent", [](TTBRootItem &r, TTBCustomItem &) { r.Insert(0, r.GetItem(1)); },
         STBItemAlreadyInserted},
        {"insert into itself", [](TTBRootItem &r, TTBCustomItem &) { r.GetItem(0)->Add(&r); },
         STBItemAlreadyInserted},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Recorder rec;
        auto root = Tree(3);
        TTBItem loose(nullptr);
        const std::vector<TTBCustomItem *> before{root->GetItem(0), root->GetItem(1), root->GetItem(2)};
        rec.Listen(root.get());
        try {
            c.op(*root, loose);
            ADD_FAILURE() << "no exception";
        } catch (const ETBItemError &e) {
            EXPECT_EQ(e.Message(), c.text);
        }
        // Nothing announced (a view left "in update" would never relayout) and nothing moved.
        EXPECT_TRUE(rec.log.empty());
        ASSERT_EQ(root->Count(), 3);
        EXPECT_EQ((std::vector<TTBCustomItem *>{root->GetItem(0), root->GetItem(1), root->GetItem(2)}), before);
        EXPECT_EQ(loose.Parent(), nullptr);
    }
}

TEST(TB2Item, InsertDeleteAndMoveAnnounceInOrder)
{
    Recorder rec;
    auto root = Tree(2);
    rec.Listen(root.get());
    auto *item = new TTBItem(nullptr);
    root->Insert(1, item);
    EXPECT_EQ(rec.log, (std::vector<Notice>{{root.get(), false, A::tbicSubitemsBeginUpdate, -1, nullptr},
                                            {root.get(), false, A::tbicInserted, 1, item},
                                            {root.get(), false, A::tbicSubitemsEndUpdate, -1, nullptr}}));
    EXPECT_EQ(item->Parent(), root.get());
    rec.log.clear();
    int indexWhileDeleting = -2;
    rec.during = [&] { indexWhileDeleting = root->IndexOf(item); };
    root->Delete(1);
    rec.during = nullptr;
    EXPECT_EQ(rec.log, (std::vector<Notice>{{root.get(), false, A::tbicDeleting, 1, item}}));
    EXPECT_EQ(indexWhileDeleting, 1);
    EXPECT_EQ(item->Parent(), nullptr);
    root->Add(item);
    rec.log.clear();
    root->Move(2, 0);
    EXPECT_EQ(root->GetItem(0), item);
    ASSERT_GE(rec.log.size(), 2u);
    EXPECT_EQ(rec.log.front().Action, A::tbicSubitemsBeginUpdate);
    EXPECT_EQ(rec.log.back().Action, A::tbicSubitemsEndUpdate);
}

TEST(TB2Item, RelaysReachAncestorsAndLinkParentsMarked)
{
    Recorder atRoot, atInner, atLinker, atSub;
    auto root = Tree(0);
    auto *inner = Child<TTBGroupItem>(Child<TTBGroupItem>(root.get()));
    auto *sub = Child(root.get());  // not an embedded group: its changes stay its own
    auto linker = std::make_unique<TTBItem>(nullptr);
    linker->SetLinkSubitems(inner);
    atRoot.Listen(root.get());
    atInner.Listen(inner);
    atLinker.Listen(linker.get());
    atSub.Listen(sub);
    auto *leaf = Child(inner);
    const Notice relayed{inner, true, A::tbicInserted, 0, leaf};
    EXPECT_EQ(atInner.log[1], (Notice{inner, false, A::tbicInserted, 0, leaf}));
    ASSERT_EQ(atRoot.log.size(), 3u);
    EXPECT_EQ(atRoot.log[1], relayed);
    ASSERT_EQ(atLinker.log.size(), 3u);
    EXPECT_EQ(atLinker.log[1], relayed);
    atRoot.log.clear();
    sub->Add(new TTBItem(nullptr));
    EXPECT_EQ(atSub.log.size(), 3u);
    EXPECT_TRUE(atRoot.log.empty());
    // A cycle of links delivers once to each item and ends.
    Recorder atA, atB;
    auto a = std::make_unique<TTBItem>(nullptr);
    auto b = std::make_unique<TTBItem>(nullptr);
    a->SetLinkSubitems(b.get());
    b->SetLinkSubitems(a.get());
    atA.Listen(a.get());
    atB.Listen(b.get());
    a->Add(new TTBItem(nullptr));
    EXPECT_EQ(atA.log.size(), 3u);
    EXPECT_EQ(atB.log.size(), 3u);
    EXPECT_TRUE(atB.log[0].Relayed);
    a->SetLinkSubitems(a.get());  // a link to itself counts as none
    EXPECT_EQ(a->LinkSubitems(), nullptr);
    EXPECT_TRUE(b->LinkParents().empty());
}

TEST(TB2Item, ListenersMayUnregisterDuringANotice)
{
    // Three listeners; while the notice is delivered, listener `who` unregisters listener `whom`.
    struct Case { int who, whom; std::vector<int> called; };
    const Case cases[] = {
        {0, 0, {0, 1, 2}},  // itself: the next one is not skipped
        {1, 0, {0, 1, 2}},  // an earlier one: the rest still run
        {0, 2, {0, 1}},     // a later one: gone before its turn
        {2, 2, {0, 1, 2}},
    };
    for (const Case &c : cases) {
        std::vector<int> called;
        Recorder recs[3];
        auto root = Tree(1);
        for (int i = 0; i < 3; ++i) {
            recs[i].Listen(root.get());
            recs[i].during = [&, i] {
                called.push_back(i);
                if (i == c.who)
                    recs[c.whom].Leave(root.get());
            };
        }
        root->GetItem(0)->SetChecked(true);
        EXPECT_EQ(called, c.called) << c.who << " removes " << c.whom;
        called.clear();
        root->GetItem(0)->SetChecked(false);
        EXPECT_EQ(called.size(), 2u);
    }
    // Counted pairs: twice registered, once unregistered, still listening; the last one leaving
    // during its own call leaves an empty list behind safely.
    Recorder rec;
    auto root = Tree(1);
    rec.Listen(root.get());
    rec.Listen(root.get());
    rec.Leave(root.get());
    root->GetItem(0)->SetVisible(false);
    EXPECT_EQ(rec.log.size(), 1u);
    rec.during = [&] { rec.Leave(root.get()); };
    root->GetItem(0)->SetVisible(true);
    root->GetItem(0)->SetVisible(false);
    EXPECT_EQ(rec.log.size(), 2u);
}

TEST(TB2Item, SettersAnnounceRepaintOrRelayout)
{
    using O = TTBItemOption;
    using Set = std::function<void(TTBCustomItem &)>;
    const struct { const char *name; Set set; std::vector<A> expected; } cases[] = {
        {"caption", [](TTBCustomItem &i) { i.SetCaption("新建(&N)"); }, {A::tbicInvalidateAndResize}},
        {"same caption", [](TTBCustomItem &i) { i.SetCaption("x"); }, {}},
        {"checked", [](TTBCustomItem &i) { i.SetChecked(true); }, {A::tbicInvalidate}},
        {"enabled", [](TTBCustomItem &i) { i.SetEnabled(false); }, {A::tbicInvalidate}},
        {"image 3 to 5", [](TTBCustomItem &i) { i.SetImageIndex(5); }, {A::tbicInvalidate}},
        {"image 3 to none", [](TTBCustomItem &i) { i.SetImageIndex(-1); }, {A::tbicInvalidateAndResize}},
        {"hidden", [](TTBCustomItem &i) { i.SetVisible(false); }, {A::tbicInvalidateAndResize}},
        {"toolbar style", [](TTBCustomItem &i) { i.SetOptions({O::tboToolbarStyle}); },
         {A::tbicInvalidateAndResize}},
        {"show hint only", [](TTBCustomItem &i) { i.SetOptions({O::tboShowHint}); }, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Recorder rec;
        auto root = Tree(1);
        TTBCustomItem &item = *root->GetItem(0);
        item.SetCaption("x");
        item.SetImageIndex(3);
        rec.Listen(root.get());
        c.set(item);
        EXPECT_EQ(rec.Actions(), c.expected);
        for (const Notice &n : rec.log)
            EXPECT_EQ(n.Item, &item);
    }
}

TEST(TB2Item, OptionsInheritDownTheTreeAndRadioGroupsUncheckTheirSiblingsOnly)
{
    using O = TTBItemOption;
    auto root = Tree(0);
    auto *sub = Child(root.get());
    auto *leaf = Child(sub);
    root->SetOptions({O::tboDefault, O::tboToolbarStyle, O::tboShowHint});
    // tboDefault is never inherited.
    EXPECT_EQ(leaf->EffectiveOptions(), (TTBItemOptions{O::tboToolbarStyle, O::tboShowHint}));
    sub->SetMaskOptions({O::tboShowHint});
    EXPECT_EQ(leaf->EffectiveOptions(), (TTBItemOptions{O::tboToolbarStyle}));
    leaf->SetInheritOptions(false);
    EXPECT_TRUE(leaf->EffectiveOptions().Empty());
    leaf->SetOptions({O::tboToolbarSize});
    EXPECT_TRUE(leaf->Options().Empty());
    // An item inserted later takes the options of its new parent.
    auto *late = Child(sub);
    EXPECT_EQ(late->EffectiveOptions(), (TTBItemOptions{O::tboToolbarStyle}));
    // Radio groups: checking one unchecks its siblings of the same group only.
    auto radios = Tree(5);
    const int groups[] = {1, 1, 2, 0, 0};
    for (int i = 0; i < 5; ++i) {
        radios->GetItem(i)->SetGroupIndex(groups[i]);
        radios->GetItem(i)->SetChecked(true);
    }
    auto checked = [&] {
        std::vector<bool> v;
        for (int i = 0; i < 5; ++i)
            v.push_back(radios->GetItem(i)->Checked());
        return v;
    };
    // Only the last checked of group 1 stays; group 0 items do not exclude each other.
    EXPECT_EQ(checked(), (std::vector<bool>{false, true, true, true, true}));
    radios->GetItem(0)->SetAutoCheck(true);
    radios->GetItem(0)->Click();
    EXPECT_EQ(checked(), (std::vector<bool>{true, false, true, true, true}));
    // Moving a checked item into a group unchecks the group's members.
    radios->GetItem(3)->SetGroupIndex(2);
    EXPECT_EQ(checked(), (std::vector<bool>{true, false, false, true, true}));
}

TEST(TB2Item, IsShortCutSearchesNestedItemsAndLinks)
{
    const TShortCut ctrlS = ShortCut('S', {ssCtrl});
    auto root = Tree(0);
    auto *file = Child(root.get());
    auto *save = Child(Child<TTBGroupItem>(file));
    save->SetShortCut(ctrlS);
    int clicks = 0, popups = 0;
    save->OnClick = [&](TComponent *) { ++clicks; };
    file->OnPopup = [&](TTBCustomItem *, bool) { ++popups; };
    EXPECT_TRUE(root->IsShortCut(ctrlS));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(popups, 1);  // the submenu heard of it; the embedded group does not pop up
    EXPECT_FALSE(root->IsShortCut(ShortCut('S', {ssCtrl, ssShift})));
    // A key message carries Alt in bit 29 of its key data.
    save->SetShortCut(ShortCut('S', {ssAlt}));
    EXPECT_TRUE(root->IsShortCut(TMessage{WM_SYSKEYDOWN, 'S', LPARAM(1) | (LPARAM(1) << 29)}));
    EXPECT_FALSE(root->IsShortCut(TMessage{WM_KEYDOWN, 'S', 1}));
    EXPECT_EQ(clicks, 2);
    save->SetShortCut(ctrlS);
    file->SetEnabled(false);
    EXPECT_FALSE(root->IsShortCut(ctrlS));
    file->SetEnabled(true);
    save->SetEnabled(false);
    EXPECT_FALSE(root->IsShortCut(ctrlS));
    EXPECT_EQ(clicks, 2);
    // The text shown comes from the caption's tab part, else from the shortcut.
    save->SetCaption("保存(&S)\tCtrl+S");
    EXPECT_EQ(save->ItemShortCutText(), "Ctrl+S");
    save->SetCaption("保存(&S)\t");
    EXPECT_EQ(save->ItemShortCutText(), ShortCutToText(ctrlS));
}

TEST(TB2Item, DeferredClickOfADestroyedItemNeverRuns)
{
    for (bool destroy : {false, true}) {
        auto keeper = std::make_unique<TTBItem>(nullptr);
        auto *doomed = new TTBItem(nullptr);
        int doomedClicks = 0, keeperClicks = 0;
        doomed->OnClick = [&](TComponent *) { ++doomedClicks; };
        keeper->OnClick = [&](TComponent *) { ++keeperClicks; };
        QueueItemClick(doomed);
        QueueItemClick(keeper.get());
        EXPECT_EQ(doomedClicks + keeperClicks, 0);  // nothing runs before the loop gets back
        if (destroy)
            delete doomed;
        RunPostedMessages();
        EXPECT_EQ(doomedClicks, destroy ? 0 : 1);
        EXPECT_EQ(keeperClicks, 1);
        if (!destroy)
            delete doomed;
    }
    // The last item gone takes the hidden window with it; a later queue starts afresh, and its
    // click may destroy the last item itself.
    auto *alone = new TTBItem(nullptr);
    QueueItemClick(alone);
    delete alone;
    RunPostedMessages();
    auto *next = new TTBItem(nullptr);
    int clicks = 0;
    next->OnClick = [&](TComponent *sender) {
        ++clicks;
        delete sender;
    };
    QueueItemClick(next);
    RunPostedMessages();
    EXPECT_EQ(clicks, 1);
}

TEST(TB2Item, ActionLinkFollowsTheAction)
{
    TAction action(nullptr);
    action.SetCaption("打开");
    int executed = 0, own = 0;
    action.OnExecute = [&](TComponent *) { ++executed; };
    auto root = Tree(1);
    TTBCustomItem *item = root->GetItem(0);
    item->SetAction(&action);
    EXPECT_EQ(item->Caption(), "打开");
    action.SetEnabled(false);
    EXPECT_FALSE(item->Enabled());
    action.SetEnabled(true);
    item->Click();
    EXPECT_EQ(executed, 1);
    // A caption of the item's own is no longer the action's to change.
    item->SetCaption("另存");
    action.SetCaption("关闭");
    EXPECT_EQ(item->Caption(), "另存");
    // An OnClick of the item's own runs instead of the action.
    item->OnClick = [&](TComponent *) { ++own; };
    item->Click();
    EXPECT_EQ(own, 1);
    EXPECT_EQ(executed, 1);
    item->SetAction(nullptr);
    EXPECT_EQ(item->Action(), nullptr);
}

TEST(TB2Item, ComputePopupPositionFlipsAtScreenEdges)
{
    const TTBPopupAlignment L = TTBPopupAlignment::tbpaLeft, R = TTBPopupAlignment::tbpaRight;
    // Flags: submenu, leftwards, parent view, vertical parent; then the parent item, the asked
    // place and size, and the place, animation direction and leftwards wanted.
    struct Case { const char *name; bool submenu; TTBPopupAlignment align; bool leftwards, parentView, vertical;
                  TRect parent; int x, y, w, h, wantX, wantY, wantDir; bool wantLeftwards; };
    const Case cases[] = {
        {"submenu to the right", 1, L, 0, 1, 0, {100, 100, 200, 120}, 197, 97, 150, 200, 197, 97, 2, 0},
        {"submenu past the right edge", 1, L, 0, 1, 0, {900, 100, 990, 120}, 987, 97, 150, 200, 753, 97, 1, 1},
        {"submenu inherits leftwards", 1, L, 1, 1, 0, {300, 100, 400, 120}, 397, 97, 150, 200, 153, 97, 1, 1},
        {"leftwards without room", 1, L, 1, 1, 0, {50, 100, 150, 120}, 147, 97, 150, 200, 147, 97, 2, 0},
        {"submenu past the bottom", 1, L, 0, 1, 0, {100, 700, 200, 720}, 197, 697, 150, 200, 197, 523, 2, 0},
        {"drop-down at the bottom", 0, L, 0, 1, 0, {100, 760, 150, 780}, 100, 780, 120, 200, 100, 560, 8, 0},
        {"drop-down at the right edge", 0, L, 0, 1, 0, {950, 0, 990, 20}, 950, 20, 120, 100, 880, 20, 4, 0},
        {"right-aligned at the left edge", 0, R, 0, 0, 0, {10, 100, 10, 100}, -110, 100, 120, 100, 10, 100, 6, 0},
        {"left-aligned at the right", 0, L, 0, 0, 0, {950, 100, 950, 100}, 950, 100, 120, 100, 830, 100, 5, 0},
        {"point at the bottom-right", 0, L, 0, 0, 0, {990, 790, 990, 790}, 990, 790, 120, 100, 870, 690, 9, 0},
        {"beside a vertical toolbar", 0, L, 0, 1, 1, {0, 100, 30, 120}, -120, 100, 120, 200, 30, 100, 2, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TTBPopupPositionRec r{.PositionAsSubmenu = c.submenu, .Alignment = c.align, .Leftwards = c.leftwards,
                              .MonitorRect = {0, 0, 1000, 800}, .ParentItemRect = c.parent, .NCSize = {3, 3},
                              .X = c.x, .Y = c.y, .W = c.w, .H = c.h, .HasParentView = c.parentView,
                              .ParentVertical = c.vertical, .ParentViewerRects = {}};
        ComputePopupPosition(r);
        EXPECT_EQ((std::vector<int>{r.X, r.Y, r.AnimDir}), (std::vector<int>{c.wantX, c.wantY, c.wantDir}));
        EXPECT_EQ(r.Leftwards, c.wantLeftwards);
    }
}

TEST(TB2Item, DrawStatePicksTheListForTheState)
{
    const auto square = [](TColor colour) {
        auto bmp = std::make_unique<TBitmap>(4, 4);
        bmp->Canvas()->Brush()->SetColor(colour);
        bmp->Canvas()->FillRect(Rect(0, 0, 4, 4));
        return bmp;
    };
    const auto make = [&](TColor colour) {
        auto list = std::make_unique<TImageList>(nullptr);
        list->SetSize(4, 4);
        list->AddMasked(square(colour).get(), clFuchsia);
        return list;
    };
    TTBImageList list(nullptr);
    list.SetSize(4, 4);
    list.SetImagesBitmap(*square(clWhite));
    ASSERT_EQ(list.Count(), 1);
    auto checked = make(clRed), disabled = make(clGreen), hot = make(clBlue);
    list.SetCheckedImages(checked.get());
    list.SetDisabledImages(disabled.get());
    list.SetHotImages(hot.get());
    list.SetHotImages(&list);  // itself counts as none
    EXPECT_EQ(list.HotImages(), nullptr);
    list.SetHotImages(hot.get());
    struct Case { bool enabled, selected, checked; TColor want; };
    for (const Case &c : {Case{false, true, true, clGreen}, Case{true, true, true, clRed},
                          Case{true, true, false, clBlue}, Case{true, false, false, clWhite}}) {
        auto target = square(clBlack);
        list.DrawState(target->Canvas(), 0, 0, 0, c.enabled, c.selected, c.checked);
        EXPECT_EQ(target->Canvas()->Pixel(1, 1), c.want) << c.enabled << c.selected << c.checked;
    }
    hot.reset();  // a freed linked list leaves no dangling link
    EXPECT_EQ(list.HotImages(), nullptr);
}

TEST(TB2Item, ReferencesToDestroyedComponentsAreDropped)
{
    Recorder atRoot, atLinker;
    auto root = Tree(0);
    auto *item = Child(root.get());
    auto *linker = Child(root.get());
    auto *images = new TImageList(nullptr);
    auto *target = new TTBItem(nullptr);
    item->SetImages(images);
    linker->SetLinkSubitems(target);
    atRoot.Listen(root.get());
    atLinker.Listen(linker);
    delete images;
    EXPECT_EQ(item->Images(), nullptr);
    ASSERT_GE(atRoot.log.size(), 1u);
    EXPECT_EQ(atRoot.log[0], (Notice{root.get(), false, A::tbicInvalidateAndResize, -1, item}));
    // One list serving two roles: letting go of one role keeps the other watched.
    auto *shared = new TImageList(nullptr);
    item->SetImages(shared);
    item->SetSubMenuImages(shared);
    item->SetImages(nullptr);
    delete shared;
    EXPECT_EQ(item->SubMenuImages(), nullptr);
    delete target;
    EXPECT_EQ(linker->LinkSubitems(), nullptr);
    EXPECT_EQ(atLinker.Actions(), std::vector<A>{A::tbicSubitemsChanged});
    // A control item frees its control unless told not to; a control freed first is let go.
    for (bool dontFree : {false, true}) {
        QPointer<QWidget> control(new TCustomControl(nullptr));
        auto *holder = TTBControlItem::CreateControlItem(nullptr, static_cast<TCustomControl *>(control.data()));
        holder->SetDontFreeControl(dontFree);
        delete holder;
        EXPECT_EQ(control.isNull(), !dontFree);
        delete control.data();
    }
    auto *control = new TCustomControl(nullptr);
    auto *holder = TTBControlItem::CreateControlItem(nullptr, control);
    root->Add(holder);
    delete control;
    EXPECT_EQ(holder->Control(), nullptr);
}

} // namespace
