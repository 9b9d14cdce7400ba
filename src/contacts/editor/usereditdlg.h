#pragma once
#include "editor/useredit.h"

// The modal editor of a related contact: the same form, shown for one showing, never
// registered. 保存并关闭 ends it with mrOk.
class Tfrmusereditdlg : public TUserEditForm
{
    Q_OBJECT
public:
    explicit Tfrmusereditdlg(TComponent *owner = nullptr);

    void TBXItem2Click() override;
    void TBXItem1Click() override;
    void TBXItem4Click() override;
    void TBXItem3Click() override;

protected:
    bool IsTabbedEditor() const override { return false; }
    void FormClose(TCloseAction &Action) override;
};
