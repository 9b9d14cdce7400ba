#pragma once
#include <QDialog>

class QPushButton;
class QTreeWidget;

// 选择标签: every known tag with a check box; the editor checks the contact's tags before
// showing it and reads the checked ones back.
class Tfrmseluplaces : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrmseluplaces(QWidget *owner = nullptr);

    QTreeWidget *ListView1;  // one column 标签
    QPushButton *BitBtn1;    // 确定
    QPushButton *BitBtn2;    // 取消
    QPushButton *Button1;    // 删除选择标签

    // Checks the listed tags (blank-separated), walking the list until as many are checked as
    // were named.
    void SetCheckedTags(const QString &text);
    // Every checked tag followed by one blank, in list order.
    QString GetCheckedTags() const;
    // Deletes the checked tags, and every contact's link to them, after asking.
    void Button1Click();
};

// The one instance while it is shown.
extern Tfrmseluplaces *frmseluplaces;

// Tag names of a tag text: split at runs of blanks, empty ones dropped.
QStringList SplitTags(const QString &text);
