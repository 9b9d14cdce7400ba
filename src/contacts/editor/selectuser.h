#pragma once
#include <QDialog>
#include <QStringList>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// 选择: the contact picker. Every contact is listed on the left; checked ones gather on the right.
// The lists of "keyid=text" entries stand beside the two check lists.
class Tfrmselectuser : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrmselectuser(QWidget *owner = nullptr);

    QLineEdit *Edit1;              // 检索
    QLineEdit *Edit2;              // 拼音字母
    QListWidget *CheckListBox1;    // the contacts shown
    QListWidget *CheckListBox2;    // 已选择的人脉
    QPushButton *Button1;          // 全部人脉
    QPushButton *BitBtn1;          // 确定
    QPushButton *BitBtn2;          // 取消

    QStringList AllContacts;       // keyid=name of every contact
    QStringList SexTexts;          // keyid=sex text
    QStringList ShownContacts;     // parallel to CheckListBox1
    QStringList SelectedContacts;  // parallel to CheckListBox2

    // Lists every contact on the left, unchecked.
    void FillContactChecklists();
    // Adds an entry to the selection, as the editor preloads its relations.
    void AddSelected(const QString &entry);
    QString SexTextOf(const QString &key) const;

    void Edit1Change();
    void Edit2Change();

private:
    void LoadContacts();
    void LeftItemChanged(QListWidgetItem *item);
    void RightItemChanged(QListWidgetItem *item);
    void ShowMatching(bool byInitials, const QString &text);

    bool filling_ = false;
};

// The one instance while it is shown.
extern Tfrmselectuser *frmselectuser;

// Key and text of a "keyid=text" entry: split at the first "=", so names may hold "=" or blanks.
QString EntryKey(const QString &entry);
QString EntryText(const QString &entry);
