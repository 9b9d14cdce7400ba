#include "main/EditorRegistry.h"

#include <QComboBox>

TForm1 *Form1 = nullptr;
TEditorFactory ContactEditorFactory;

TForm1::TForm1(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form1"));
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
}

TForm1::~TForm1()
{
    for (Owned &entry : owned_)
        delete entry.window.data();
}

void TForm1::Adopt(IContactEditor *editor)
{
    std::erase_if(owned_, [](const Owned &entry) { return entry.window.isNull(); });
    owned_.push_back({editor->EditorWindow(), editor});
}

IContactEditor *TForm1::FindEditor(const QString &name) const
{
    for (const Owned &entry : owned_) {
        if (entry.window && entry.window->objectName() == name)
            return entry.editor;
    }
    return nullptr;
}

std::vector<IContactEditor *> TForm1::Editors() const
{
    std::vector<IContactEditor *> editors;
    for (const Owned &entry : owned_) {
        if (entry.window)
            editors.push_back(entry.editor);
    }
    return editors;
}

bool TForm1::CloseEditors()
{
    bool allClosed = true;
    for (IContactEditor *editor : Editors()) {
        QWidget *window = editor->EditorWindow();
        if (window->isVisible() && !window->close()) {
            allClosed = false;
            continue;
        }
        // A closed editor still holds the contact it showed; it must not be reused for a row of
        // another account.
        const int entry = ComboBox1->findText(window->objectName());
        if (entry >= 0)
            ComboBox1->removeItem(entry);
        delete window;
    }
    std::erase_if(owned_, [](const Owned &entry) { return entry.window.isNull(); });
    return allClosed;
}
