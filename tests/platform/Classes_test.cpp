#include "platform/Classes.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Logs every notification it hears and drops its reference to a removed partner.
struct Probe : TComponent {
    Probe(TComponent *owner, std::vector<std::string> *log, const char *tag)
        : TComponent(owner), log(log), tag(tag) {}
    ~Probe() override { log->push_back(tag + " destroyed"); }
    void Notification(TComponent *c, TOperation op) override
    {
        TComponent::Notification(c, op);
        if (op == TOperation::opRemove && c == partner)
            partner = nullptr;
        log->push_back(tag + (op == TOperation::opInsert ? " +" : " -"));
    }
    std::vector<std::string> *log;
    std::string tag;
    TComponent *partner = nullptr;
};

// A widget with both a Qt parent and an owner; counts its destruction.
struct Widget : QWidget, TComponent {
    Widget(QWidget *parent, TComponent *owner, int *destroyed)
        : QWidget(parent), TComponent(owner), destroyed(destroyed) {}
    ~Widget() override
    {
        Destroying();
        DestroyComponents();
        ++*destroyed;
    }
    int *destroyed;
};

} // namespace

TEST(Classes, OwnerListsAndDestroysItsComponentsMarkingTheWholeTreeFirst)
{
    std::vector<std::string> log;
    auto *owner = new TComponent(nullptr);
    auto *a = new Probe(owner, &log, "a");
    auto *b = new Probe(owner, &log, "b");
    EXPECT_EQ(owner->Components(0), a);
    EXPECT_EQ(b->ComponentIndex(), 1);
    EXPECT_THROW(owner->Components(2), EComponentError);
    delete new TComponent(owner);  // a component freed on its own leaves the list
    EXPECT_EQ(owner->ComponentCount(), 2);
    log.clear();
    delete owner;
    // The last component goes first, and the survivor hears of it before it goes itself.
    EXPECT_EQ(log, (std::vector<std::string>{"b -", "a -", "b destroyed", "a -", "a destroyed"}));
    // A grandchild going last still sees that its whole family is on its way out.
    struct Flag : TComponent {
        Flag(TComponent *o, bool *f) : TComponent(o), parent(o), flag(f) {}
        TComponent *parent;  // still being destroyed (not freed) when this one goes
        bool *flag;
        ~Flag() override
        {
            *flag = ComponentState().Contains(csDestroying) && parent->ComponentState().Contains(csDestroying);
        }
    };
    auto *root = new TComponent(nullptr);
    auto *child = new TComponent(root);
    new TComponent(root);
    bool seen = false;
    new Flag(child, &seen);
    EXPECT_FALSE(child->ComponentState().Contains(csDestroying));
    delete root;
    EXPECT_TRUE(seen);
    // A component inserted into an owner that is being destroyed is marked as well.
    TComponent parent(nullptr);
    parent.Destroying();
    auto *late = new TComponent(&parent);
    EXPECT_TRUE(late->ComponentState().Contains(csDestroying));
}

TEST(Classes, NamesAreUniqueWithinTheOwnerIgnoringCaseAndInsertMovesWithoutCycles)
{
    TComponent owner(nullptr);
    auto *a = new TComponent(&owner);
    auto *b = new TComponent(&owner);
    a->SetName("Button1");
    EXPECT_EQ(owner.FindComponent("BUTTON1"), a);
    EXPECT_EQ(owner.FindComponent(""), nullptr);
    EXPECT_THROW(b->SetName("button1"), EComponentError);
    EXPECT_EQ(b->Name(), "");
    a->SetName("BUTTON1");  // renaming itself in another case is fine
    EXPECT_EQ(a->Name(), "BUTTON1");
    for (auto [name, valid] : {std::pair{"_x", true}, {"a1", true}, {"1a", false}, {"a b", false}, {"名字", false},
                               {"", false}})
        EXPECT_EQ(IsValidIdent(QString::fromUtf8(name)), valid) << name;
    EXPECT_THROW(b->SetName("9lives"), EComponentError);
    // Moving a named component into an owner that already has that name is refused.
    TComponent other(nullptr);
    auto *c = new TComponent(&other);
    c->SetName("Button1");
    EXPECT_THROW(owner.InsertComponent(c), EComponentError);
    EXPECT_EQ(c->Owner(), &other);
    // Once renamed it moves; an owner cannot go into its own subtree.
    c->SetName("Button2");
    owner.InsertComponent(c);
    EXPECT_EQ(other.ComponentCount(), 0);
    EXPECT_EQ(c->Owner(), &owner);
    auto *child = new TComponent(c);
    EXPECT_THROW(child->InsertComponent(c), EComponentError);
    EXPECT_THROW(c->InsertComponent(c), EComponentError);
    EXPECT_EQ(c->Owner(), &owner);
    owner.RemoveComponent(c);
    EXPECT_EQ(c->Owner(), nullptr);
    delete c;  // takes child with it
}

TEST(Classes, FreeNotificationReachesComponentsOfOtherOwners)
{
    std::vector<std::string> log;
    TComponent formA(nullptr), formB(nullptr);
    auto *user = new Probe(&formA, &log, "user");
    auto *source = new Probe(&formB, &log, "source");
    user->partner = source;
    source->FreeNotification(user);
    EXPECT_TRUE(source->ComponentState().Contains(csFreeNotification));
    delete source;
    EXPECT_EQ(user->partner, nullptr);
    // The link is gone on both sides: freeing the user later touches nothing freed.
    EXPECT_FALSE(user->ComponentState().Contains(csFreeNotification));
    delete user;
    // A removed link is not told: the reference was deliberately given up.
    Probe a(nullptr, &log, "a");
    auto *b = new Probe(nullptr, &log, "b");
    a.partner = b;
    a.FreeNotification(b);
    a.RemoveFreeNotification(b);
    delete b;
    EXPECT_EQ(a.partner, b);
    // A receiver that forgets to pass the notice on to its base class holds no dangling link.
    struct Careless : TComponent {
        using TComponent::TComponent;
        int heard = 0;
        void Notification(TComponent *, TOperation) override { ++heard; }
    };
    auto *careless = new Careless(nullptr);
    auto *gone = new TComponent(nullptr);
    gone->FreeNotification(careless);
    delete gone;
    EXPECT_EQ(careless->heard, 1);
    delete careless;  // would touch the freed component if the link had survived
}

// Widgets with both a Qt parent and an owner: whichever side deletes, nothing is freed twice
// (the sanitizers check that).
TEST(Classes, EitherTheQtParentOrTheOwnerMayDeleteAWidget)
{
    int destroyed = 0;
    auto *form = new Widget(nullptr, nullptr, &destroyed);
    auto *panel = new Widget(form, form, &destroyed);
    new Widget(panel, form, &destroyed);  // Qt parent panel, owner form
    delete form;
    EXPECT_EQ(destroyed, 3);
    TComponent owner(nullptr);
    auto *parent = new QWidget;
    new Widget(parent, &owner, &destroyed);
    new Widget(parent, &owner, &destroyed);
    delete parent;
    EXPECT_EQ(destroyed, 5);
    EXPECT_EQ(owner.ComponentCount(), 0);
    auto *other = new TComponent(nullptr);
    QWidget qtParent;
    new Widget(&qtParent, other, &destroyed);
    delete other;
    EXPECT_EQ(destroyed, 6);
    EXPECT_TRUE(qtParent.children().isEmpty());
}
