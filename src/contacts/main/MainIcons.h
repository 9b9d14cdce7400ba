#pragma once
#include <QIcon>

// The program's icons, painted in code so they stay sharp at every size.
enum class TMainIcon { Program, Contacts, Calendar, NewContact, NewGroup, Delete, ViewStyle, Search };

QIcon MainIcon(TMainIcon which);
