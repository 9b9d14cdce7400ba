#include "editor/usereditdlg.h"

Tfrmusereditdlg::Tfrmusereditdlg(TComponent *owner) : TUserEditForm(owner)
{
    setObjectName(QStringLiteral("frmusereditdlg"));
}

void Tfrmusereditdlg::TBXItem2Click()
{
    SaveContact();
}

void Tfrmusereditdlg::TBXItem1Click()
{
    if (SaveContact())
        SetModalResult(mrOk);
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
    SetModalResult(mrCancel);
}

void Tfrmusereditdlg::FormClose(TCloseAction &Action)
{
    if (Modified && AskToSave()) {
        // A save that failed keeps the dialog open, or the edits would be lost with it.
        if (!SaveContact()) {
            Action = TCloseAction::caNone;
            return;
        }
        SetModalResult(mrOk);
    }
    Modified = false;
}
