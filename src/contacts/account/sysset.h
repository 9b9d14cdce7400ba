#pragma once
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTreeView;
class TAccountSession;

// A field that shows the key combination pressed in it ("Ctrl + W") instead of typing. It takes
// the key before shortcuts and button mnemonics see it.
class THotKeyEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit THotKeyEdit(QWidget *parent = nullptr);

    // The text for a key pressed with these modifiers: Control wins over Alt; a bare letter
    // means both; anything else empties the field.
    static QString HotKeyText(int key, Qt::KeyboardModifiers modifiers);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

// A field holding a file path: while it is not being edited, a path too long for it shows its
// start and its file name with an ellipsis between them; the text itself stays whole.
class TPathEdit : public QLineEdit
{
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

    // What the field shows now.
    QString ShownText() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect TextRect() const;
};

// What a change of the settings asks of the windows outside the dialog; the window that shows
// the dialog carries it out.
struct TSettingsChange {
    std::optional<bool> LunarCaptions;   // the planner's lunar captions on or off
    bool ReloadMonth = false;            // the calendar's festivals or contact events switched
    bool ReloadTodayTree = false;        // the number of days of the today tree changed
    std::optional<bool> AutoBackup;      // the backup timer runs or stops
    std::optional<QString> ShowHideKey;  // the show/hide hot key's text; empty: no hot key
};

// 系统: the settings dialog. Shows config.ini and the registry values on every opening and
// writes them back with 应用 or 确定.
class Tfrmsysset : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrmsysset(const TAccountSession &account, QWidget *owner = nullptr);

    QTabWidget *PageControl1;
    // 系统
    QCheckBox *CheckBox5;   // 随操作系统自动启动
    QCheckBox *CheckBox7;   // 自动登录 (hidden)
    QCheckBox *CheckBox11;  // 关闭主窗口时最小化为系统图标
    // 日历
    QComboBox *ComboBox5;   // 日程安排显示天数
    QCheckBox *CheckBox15;  // 显示农历
    QCheckBox *CheckBox13;  // 在日历中显示人脉提醒
    QCheckBox *CheckBox14;  // 在日历中显示节日提醒
    // 人脉
    TPathEdit *Edit2;       // reminder sound
    QPushButton *Button1;   // 选择
    QSpinBox *SpinEdit1;    // frequently viewed from
    QSpinBox *SpinEdit2;    // recent months
    // 快捷键
    THotKeyEdit *Edit1;
    QCheckBox *CheckBox9;   // 最小化窗口
    // 备份
    QSpinBox *SpinEdit3;    // hours between backups
    QSpinBox *SpinEdit4;    // backups kept
    QCheckBox *CheckBox16;  // 启用自动备份
    QPushButton *Button2;   // 马上备份
    QRadioButton *RadioButton1;  // 默认备份文件夹
    QRadioButton *RadioButton3;  // 选择其它文件夹
    QLineEdit *Edit4;            // the default folder
    QLineEdit *Edit3;            // the chosen folder
    QTreeView *ShellTreeView1;

    QPushButton *ApplyButton;   // 应用
    QPushButton *OKButton;      // 确定
    QPushButton *CancelButton;  // 取消

    // Runs for every change the windows outside must follow, on saving and as boxes are clicked.
    std::function<void(const TSettingsChange &)> OnChange;

    // Writes every setting; false, after "保存错误！", when one could not be written.
    bool Save();
    void OKClick();
    void CheckBox5Click();
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    void SetModified(bool modified);
    void SelectFolderInTree(const QString &path);
    void UpdateFolderChoice();
    void Changed(const TSettingsChange &change);
    bool CopyAccount(const QString &target) const;

    const TAccountSession &account_;
    QFileSystemModel *folders_;
};

extern QPointer<Tfrmsysset> frmsysset;

// 选项: the one settings dialog, made on first use, shown modally.
void ShowSettingsDialog(QWidget *owner, const TAccountSession &account,
                        std::function<void(const TSettingsChange &)> onChange);
