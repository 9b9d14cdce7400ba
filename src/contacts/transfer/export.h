#pragma once
#include "transfer/ContactTransfer.h"

#include <QDialog>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QModelIndex;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTreeView;
class TADOConnection;

// A node of the contact browser's group tree, as the export wizard needs it.
struct TGroupTreeNode {
    QString KeyId;     // "0" or "-1" for the root
    int NodeType = 0;  // 1 group, 2 contact
};

// What the export wizard asks of the contact browser: the node selected in its group tree.
class IGroupTreeSelection
{
public:
    virtual ~IGroupTreeSelection() = default;
    virtual std::optional<TGroupTreeNode> SelectedGroupTreeNode() const = 0;
};

// 导出...: writes one vCard file per contact into a folder, for every contact or for those of
// the group (or the one contact) selected in the contact browser.
class Tfrmexport : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrmexport(TADOConnection *connection, QWidget *parent = nullptr);

    QStackedWidget *Notebook1;
    QWidget *page1;
    QWidget *page3;
    QWidget *page4;
    QLineEdit *Edit1;              // the folder
    QTreeView *ShellTreeView1;
    QProgressBar *ProgressBar1;
    QLabel *Label3;                // how the export went
    QPushButton *Button1;          // 察看结果
    QRadioButton *RadioButton1;    // 导出所有用户
    QRadioButton *RadioButton2;    // 只导组内用户
    QComboBox *ComboBox1;          // the group names, renewed by every 下一步
    QPushButton *BitBtn1;          // 上一步
    QPushButton *BitBtn2;          // 下一步 / 导出
    QPushButton *BitBtn3;          // 退出

    // The browser's selected node; unset, or giving nothing, when there is no selection.
    std::function<std::optional<TGroupTreeNode>()> SelectedNode;

    void BitBtn1Click();
    void BitBtn2Click();
    void Button1Click();
    TExportResult WriteVCardFiles(const QString &folder, const TExportScope &scope);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void ShellTreeView1Change(const QModelIndex &current);
    void FillGroupNames();
    void Export();
    // The contacts "只导组内用户" stands for; false when nothing is selected.
    bool SelectedScope(TExportScope &scope) const;

    TADOConnection *connection_;
};
