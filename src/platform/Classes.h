#pragma once
#include "Types.h"

#include <QString>
#include <cstdint>
#include <initializer_list>
#include <vector>

// A small set of enumerators, the shape the class library gives its "set of" properties.
// Enumerators must have values below 64.
template <typename E>
class TSet
{
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> items)
    {
        for (E e : items)
            bits_ |= Bit(e);
    }
    constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
    constexpr TSet &Include(E e) { bits_ |= Bit(e); return *this; }
    constexpr TSet &Exclude(E e) { bits_ &= ~Bit(e); return *this; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr TSet operator|(TSet o) const { return FromBits(bits_ | o.bits_); }
    constexpr TSet operator&(TSet o) const { return FromBits(bits_ & o.bits_); }
    constexpr TSet operator-(TSet o) const { return FromBits(bits_ & ~o.bits_); }
    friend constexpr bool operator==(TSet, TSet) = default;
    constexpr std::uint64_t Bits() const { return bits_; }
    static constexpr TSet FromBits(std::uint64_t bits)
    {
        TSet s;
        s.bits_ = bits;
        return s;
    }

private:
    static constexpr std::uint64_t Bit(E e) { return std::uint64_t(1) << static_cast<unsigned>(e); }
    std::uint64_t bits_ = 0;
};

enum class TComponentStateItem { csLoading, csReading, csWriting, csDestroying, csDesigning, csFreeNotification };
using TComponentState = TSet<TComponentStateItem>;
constexpr TComponentStateItem csLoading = TComponentStateItem::csLoading;
constexpr TComponentStateItem csDestroying = TComponentStateItem::csDestroying;
constexpr TComponentStateItem csFreeNotification = TComponentStateItem::csFreeNotification;

enum class TOperation { opInsert, opRemove };

class EComponentError : public Exception
{
public:
    using Exception::Exception;
};

// The base of everything that has an owner and a name.
//
// Ownership rule. A component lives on the heap and is destroyed by its owner (or by whoever
// created it when it has none). When it goes, for whatever reason, it takes itself out of its
// owner's list first, so an owner never deletes a component twice and never deletes one that
// something else already deleted.
//
// Widgets that are also components (class X : public QWidget, public TComponent) therefore
// have two parents, the Qt parent and the owner, and either may delete them: the Qt parent
// deletes its children in ~QWidget, and each child's ~TComponent then leaves its owner's list;
// an owner deletes its components in ~TComponent, and each one's ~QWidget then leaves its Qt
// parent's child list. Both are safe as long as
//   - QWidget comes first in the base list, so a widget's owned components go before its own
//     QWidget part (and before the Qt children that ~QWidget would delete);
//   - a component is never a member or a stack object while it has an owner or a Qt parent;
//   - a class whose owned components still talk to it while they are destroyed (a control
//     that is also the Qt parent of the controls it owns) calls Destroying() and
//     DestroyComponents() first thing in its own destructor, while it is still whole.
// Notification(c, opRemove) may arrive while c is in its destructor: receivers compare the
// pointer and drop their references; they do not call into c.
class TComponent
{
public:
    explicit TComponent(TComponent *AOwner);
    virtual ~TComponent();
    TComponent(const TComponent &) = delete;
    TComponent &operator=(const TComponent &) = delete;

    TComponent *Owner() const { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent *Components(int index) const;
    // Position in the owner's list, -1 without an owner.
    int ComponentIndex() const;
    // Case-insensitive search among the owned components; nullptr when there is none.
    TComponent *FindComponent(const QString &name) const;

    const QString &Name() const { return name_; }
    // An empty name or an identifier unique among the owner's components; otherwise raises
    // EComponentError and keeps the old name.
    virtual void SetName(const QString &value);
    std::intptr_t Tag() const { return tag_; }
    void SetTag(std::intptr_t value) { tag_ = value; }

    TComponentState ComponentState() const { return state_; }

    void InsertComponent(TComponent *AComponent);
    void RemoveComponent(TComponent *AComponent);
    // Deletes the owned components, last first.
    void DestroyComponents();
    // Marks this component and everything it owns as being destroyed; idempotent.
    void Destroying();

    // Asks for Notification(this, opRemove) on AComponent when this component goes, and the
    // other way round. Components of one owner hear about each other anyway.
    void FreeNotification(TComponent *AComponent);
    void RemoveFreeNotification(TComponent *AComponent);

    // Streaming-style loading: Loading() marks the component, Loaded() clears the mark once
    // all properties are set (descendants override it to finish their setup).
    void Loading();
    virtual void Loaded();

protected:
    // Tells of components inserted into or removed from the owner's family and of freed
    // components this one asked to hear about. The default passes it on to owned components.
    virtual void Notification(TComponent *AComponent, TOperation Operation);
    // Descendants that add their own states (csDesigning, csReading, ...).
    void IncludeState(TComponentStateItem item) { state_.Include(item); }
    void ExcludeState(TComponentStateItem item) { state_.Exclude(item); }

private:
    void Insert(TComponent *AComponent);
    void Remove(TComponent *AComponent);
    void AddFreeLink(TComponent *AComponent);
    void RemoveFreeLink(TComponent *AComponent);
    void ValidateRename(const QString &newName) const;

    TComponent *owner_ = nullptr;
    std::vector<TComponent *> components_;
    std::vector<TComponent *> freeNotifies_;
    QString name_;
    std::intptr_t tag_ = 0;
    TComponentState state_;
};

// True for a name the class library accepts: a letter or underscore, then letters, digits or
// underscores (ASCII).
bool IsValidIdent(const QString &name);
