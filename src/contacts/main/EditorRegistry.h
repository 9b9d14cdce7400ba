#pragma once
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

class QComboBox;

// What the main window needs of a contact editor window.
class IContactEditor
{
public:
    virtual ~IContactEditor() = default;
    virtual QWidget *EditorWindow() = 0;  // a top-level window of its own
    virtual void LoadContact(const QString &keyid) = 0;
};

// The hidden form that owns every contact editor window. Editors are top-level windows with their
// own task-bar entry, so they are not Qt children of this form: it keeps them in a list, finds
// them by window name, and deletes those still open when it goes. An editor that closes itself
// deletes itself; the list only holds guarded pointers.
class TForm1 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // The window names of the editors the main window has shown.
    QComboBox *ComboBox1;

    void Adopt(IContactEditor *editor);
    IContactEditor *FindEditor(const QString &name) const;
    std::vector<IContactEditor *> Editors() const;

    // Closes every editor through its own close path (which may ask to save) and frees the closed
    // ones. False when one of them stayed open.
    bool CloseEditors();

private:
    struct Owned {
        QPointer<QWidget> window;
        IContactEditor *editor;
    };
    std::vector<Owned> owned_;
};

extern TForm1 *Form1;

// Makes a new, empty editor window. Installed by the editor unit; without one the main window's
// new-contact commands stay disabled.
using TEditorFactory = std::function<IContactEditor *()>;
extern TEditorFactory ContactEditorFactory;
