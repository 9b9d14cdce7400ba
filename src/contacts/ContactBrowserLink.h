#pragma once
#include <QString>
#include <functional>
#include <optional>

// What the contact editors need of the contact browser page: where a new contact goes, showing
// a saved contact in the group tree, refreshing the list and the tag tree. The browser page
// provides it; without a browser page there is none and the editors skip these steps.

// The texts of a contact's group-tree node, as the browser's loader fills them.
struct TContactNodeData {
    QString keyid;
    QString uname;
    QString umtel;
    QString uwtlp;
    QString uwkaddress;
    QString uhtlp;
    QString uxb;
    QString ulevel;  // "0".."4"
    QString email;   // uemail, or text1 when that is empty
};

// The group a new contact is placed under, and the tree columns that places it there.
struct TGroupPlace {
    QString keyid;      // "0" for the tree's root
    int nodelevel = 1;  // the group's depth in the tree + 1
    int nodeindex = 0;  // the group's number of children + 1
};

class IContactBrowser
{
public:
    virtual ~IContactBrowser() = default;
    // The selected group node, or the group of a selected contact node; none when the selected
    // node carries no record or nothing is selected.
    virtual std::optional<TGroupPlace> NewContactPlace() = 0;
    // Updates the node of data.keyid with the texts and the image for its sex text. When there is
    // no such node and the contact is new, adds one under the group `groupKey` (the root when
    // empty); an existing contact without a node is left alone.
    virtual void ShowContactNode(const TContactNodeData &data, bool isNew, const QString &groupKey) = 0;
    // Runs the group tree's change handler for the group, which refreshes the contact list.
    virtual void ShowGroup(const QString &groupKey) = 0;
    virtual void LoadTagTree() = 0;
};

// Finds the browser page of the main window; nullptr when there is none. Replaceable for tests.
extern std::function<IContactBrowser *()> ContactBrowserLookup;
IContactBrowser *CurrentContactBrowser();
