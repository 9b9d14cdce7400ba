#pragma once
#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

// The field chooser: the caller fills the check list with "caption=name" items, shows it modally
// and on OK reads the checked names back, top to bottom.
class Tfrmselfields final : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrmselfields(QWidget *parent = nullptr);

    QListWidget *CheckListBox1;
    QPushButton *BitBtn1;  // 确定
    QPushButton *BitBtn2;  // 取消
    QPushButton *BitBtn3;  // 上移
    QPushButton *BitBtn4;  // 下移

    void Clear();
    void AddField(const QString &caption, const QString &name, bool checked);
    QStringList CheckedNames() const;

    void BitBtn3Click();
    void BitBtn4Click();

private:
    void Exchange(int row, int other);
};

// The one chooser, made on first use with the given parent.
Tfrmselfields *FieldChooser(QWidget *parent);
