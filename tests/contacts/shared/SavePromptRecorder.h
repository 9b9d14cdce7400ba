#pragma once
// While it lives, every question goes to the test responder as before, and each save dialog
// notes whether the dialog itself was to ask before overwriting a file that exists.
#include "TestSupport.h"

#include <vector>

class SavePromptRecorder final : public IDialogs
{
public:
    SavePromptRecorder() { SetDialogs(this); }
    ~SavePromptRecorder() override { SetDialogs(&TestDialogs()); }
    SavePromptRecorder(const SavePromptRecorder &) = delete;
    SavePromptRecorder &operator=(const SavePromptRecorder &) = delete;

    std::vector<bool> dialogAsks;

    MsgResult MessageBox(QWidget *parent, const QString &text, const QString &caption, MsgIcon icon,
                         MsgButtons buttons) override
    {
        return TestDialogs().MessageBox(parent, text, caption, icon, buttons);
    }
    QString OpenFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter) override
    {
        return TestDialogs().OpenFileName(parent, caption, dir, filter);
    }
    QString SaveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter) override
    {
        dialogAsks.push_back(true);
        return TestDialogs().SaveFileName(parent, caption, dir, filter);
    }
    QString SaveFileNameWithoutPrompt(QWidget *parent, const QString &caption, const QString &dir,
                                      const QString &filter) override
    {
        dialogAsks.push_back(false);
        return TestDialogs().SaveFileName(parent, caption, dir, filter);
    }
    QString FolderName(QWidget *parent, const QString &caption, const QString &dir) override
    {
        return TestDialogs().FolderName(parent, caption, dir);
    }
    bool InputBox(QWidget *parent, const QString &caption, const QString &prompt, QString &value) override
    {
        return TestDialogs().InputBox(parent, caption, prompt, value);
    }
};
