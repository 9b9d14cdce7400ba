#pragma once
#include "editor/useredit.h"

// The modal editor of a related contact: the same form, shown for one showing, never
// registered. 保存并关闭 ends it with OK.
class Tfrmusereditdlg : public TUserEditForm
{
    Q_OBJECT
public:
    explicit Tfrmusereditdlg(QWidget *parent = nullptr);

    void TBXItem2Click() override;
    void TBXItem1Click() override;
    void TBXItem4Click() override;
    void TBXItem3Click() override;

protected:
    bool IsTabbedEditor() const override { return false; }
    void closeEvent(QCloseEvent *event) override;
};
