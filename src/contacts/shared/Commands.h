#pragma once
#include <QIcon>
#include <QKeySequence>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

// A command of a window, reached by its component name. It holds what a menu or tool bar item
// shows and what a click does; a builder presents it (as framework menus and tool bars) and
// follows its changes through OnChange, so the presentation can change without touching what
// the command does.
// Control: a place for a window's own control (a label, a search box) among the items.
enum class TCommandKind { Item, Submenu, Separator, Control };

class TCommand
{
public:
    TCommand(TCommandKind kind, const QString &name);
    TCommand(const TCommand &) = delete;
    TCommand &operator=(const TCommand &) = delete;

    TCommandKind Kind() const { return kind_; }
    const QString &Name() const { return name_; }

    QString Caption() const { return caption_; }
    void SetCaption(const QString &value);
    QKeySequence ShortCut() const { return shortCut_; }
    void SetShortCut(const QKeySequence &value);
    QString Hint() const { return hint_; }
    void SetHint(const QString &value);
    QIcon Icon() const { return icon_; }
    void SetIcon(const QIcon &value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    bool Checked() const { return checked_; }
    void SetChecked(bool value);

    // The items of a sub-menu, in their order; separators included.
    const std::vector<TCommand *> &Items() const { return items_; }
    void Add(TCommand &item) { items_.push_back(&item); }

    // What the user's click does: nothing while disabled.
    void Click();
    // Runs just before the items of a sub-menu or popup show.
    void Popup();

    std::function<void()> OnClick;
    std::function<void()> OnPopup;
    // For the presentation: every builder that shows the command (a menu bar and a tray menu
    // may both) hears of any change of a shown property. The number takes the listener off.
    int AddChangeListener(std::function<void()> listener);
    void RemoveChangeListener(int id);

private:
    void Changed();

    std::vector<std::pair<int, std::function<void()>>> listeners_;
    int nextListener_ = 0;

    TCommandKind kind_;
    QString name_;
    QString caption_;
    QKeySequence shortCut_;
    QString hint_;
    QIcon icon_;
    bool enabled_ = true;
    bool visible_ = true;
    bool checked_ = false;
    std::vector<TCommand *> items_;
};

// One line of a menu or tool bar table. Submenu opens a level that End closes; Control marks where
// the window's control of that name goes.
enum class TCommandRowKind { Item, Separator, Submenu, End, Control };

struct TCommandRow {
    TCommandRowKind Kind = TCommandRowKind::Item;
    QString Name;
    QString Caption;
    QString ShortCut;  // portable key-sequence text
    QString Hint;
    std::function<void()> OnClick;
    QIcon Icon;
};

TCommandRow CommandRow(const char *name, const char *caption, const char *shortCut, std::function<void()> onClick,
                       const char *hint = "", const QIcon &icon = QIcon());
TCommandRow SubmenuRow(const char *name, const char *caption, const QIcon &icon = QIcon());
TCommandRow EndRow();
TCommandRow SeparatorRow();
TCommandRow ControlRow(const char *name);

// The commands of one window, by component name; it owns them.
class TCommandList
{
public:
    // nullptr for a name that is no command here.
    TCommand *Command(const QString &name) const;
    TCommand &Add(TCommandKind kind, const QString &name);
    // Makes the commands of a table under a new root named `rootName` and returns the root. A row
    // without OnClick is a command that does nothing; it starts disabled.
    TCommand &Define(const QString &rootName, const std::vector<TCommandRow> &rows);
    const std::vector<std::unique_ptr<TCommand>> &All() const { return commands_; }

private:
    std::vector<std::unique_ptr<TCommand>> commands_;
};
