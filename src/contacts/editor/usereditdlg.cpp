#include "editor/usereditdlg.h"

#include <QCloseEvent>

Tfrmusereditdlg::Tfrmusereditdlg(QWidget *parent) : TUserEditForm(parent)
{
    setObjectName(QStringLiteral("frmusereditdlg"));
    setModal(true);
}

void Tfrmusereditdlg::TBXItem2Click()
{
    SaveContact();
}

void Tfrmusereditdlg::TBXItem1Click()
{
    if (SaveContact())
        done(QDialog::Accepted);
}

void Tfrmusereditdlg::TBXItem4Click()
{
    if (!SaveContact())
        return;
    ResetAsNew();
}

void Tfrmusereditdlg::TBXItem3Click()
{
    if (Modified && AskToSave()) {
        TBXItem1Click();
        return;
    }
    Modified = false;
    done(QDialog::Rejected);
}

void Tfrmusereditdlg::closeEvent(QCloseEvent *event)
{
    if (Modified && AskToSave()) {
        // A save that failed keeps the dialog open, or the edits would be lost with it.
        if (!SaveContact()) {
            event->ignore();
            return;
        }
        done(QDialog::Accepted);
    }
    Modified = false;
    event->accept();
}
