#pragma once
#include <QString>
#include <functional>
#include <optional>

// What the contact editors need of the contact browser page: where a new contact goes, showing
// a saved contact in the group tree at once, and reloading the tag tree. The browser reads the
// saved row itself. Without a browser page there is none and the editors skip these steps.

// The group a new contact is placed under, and the tree columns that place it there.
struct TGroupPlace {
    QString keyid;      // "0" for the tree's root
    int nodelevel = 1;  // the group's depth in the tree + 1
    int nodeindex = 0;  // the contact's place among the group's children
};

class IContactBrowser
{
public:
    virtual ~IContactBrowser() = default;
    // The selected group node, or the group of a selected contact node; none when nothing with a
    // record is selected.
    virtual std::optional<TGroupPlace> NewContactPlace() = 0;
    // A contact saved for the first time: its node is added under its group, and the list shows
    // it when it lists that group.
    virtual void ShowNewContact(const QString &keyid) = 0;
    // A contact saved again: its node (and list item) shows the row as it is now.
    virtual void UpdateContactNode(const QString &keyid) = 0;
    virtual void LoadTagTree() = 0;
};

// Finds the browser page of the main window; nullptr when there is none. Replaceable for tests.
extern std::function<IContactBrowser *()> ContactBrowserLookup;
IContactBrowser *CurrentContactBrowser();
