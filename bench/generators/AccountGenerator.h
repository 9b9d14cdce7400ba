#pragma once
#include <QString>

// A synthetic account shaped like a real one: a group tree, contacts with Chinese names and
// about twenty filled fields, tags and a few activities per contact.
struct AccountShape {
    int contacts = 10000;
    int groups = 200;        // 20 at the top, the rest one level below
    int tags = 60;
    int activitiesPerContact = 3;  // on average; 0 to twice this many
    unsigned seed = 20240501;
};

struct GeneratedAccount {
    qint64 groups = 0;
    qint64 contacts = 0;
    qint64 tagLinks = 0;
    qint64 activities = 0;
};

// Writes a new account file at `path` (replacing any) in one transaction, one prepared
// statement per table. Throws EDatabaseError when the file cannot be written.
GeneratedAccount GenerateAccount(const QString &path, const AccountShape &shape);
