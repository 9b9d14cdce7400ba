#pragma once
#include "main/EditorRegistry.h"
#include "editor/PictureLoad.h"
#include "editor/ReminderRules.h"
#include "shared/Commands.h"

#include "platform/Forms.h"

#include <QDialog>
#include <QHash>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class IBrowserPage;
class TFrameworkCommandBuilder;
class TQtCommandBuilder;
class TSpTBXDock;
class TTBPopupMenu;
class TSpTBXToolbar;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QStatusBar;
class QTabWidget;
class QTemporaryDir;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TADOQuery;
class TCheckDatePicker;
class TLevelComboBox;
class Tfrmsetuseralarm;

// One row of the records list (a useraction row, or one added in this window).
struct RecordRow {
    QString id = QStringLiteral("0");  // "0" until written
    int kind = 0;                      // 1 task, 2 activity, 3 attachment
    QString title;                     // activity text, or the attachment's path as chosen
    QString date;                      // "yyyy-MM-dd hh:mm:ss"
    QString typeText;
    bool changed = false;              // an activity edited here, to be updated
    bool stored = false;               // attachment: bytes kept in the account, else a link
    QString linkId;
    QString file;
};

// One picture of the album. The bytes stay in memory; nothing is written to disk to show it.
struct PhotoRow {
    QString id = QStringLiteral("0");  // "0" until written
    QString file;                      // the stored file name, or the path it was added from
    QString name;                      // the file-name part (titlemsg)
    QByteArray bytes;
    int width = 0;
    int height = 0;
};

// The sign of the Chinese zodiac, index 0..11 from 鼠.
extern const char *const AnimalSignTable[12];

// The six ways of writing a name from surname and given name, in the order the name list offers
// them; none when both are blank.
QStringList NameVariants(const QString &surname, const QString &givenName);

// The animal and star sign of a birthday: a solar date, or a lunar one (month and day of a lunar
// year). The star sign is empty when a lunar date lies outside the conversion table.
void BirthdaySigns(const QDate &date, bool lunar, QString &animal, QString &star);

// A relation text (linkuser): "keyid=name" entries each followed by the character 0x18.
QStringList SplitRelations(const QString &linkuser);
QString JoinRelations(const QStringList &entries);

// The contact browser page that new contacts are placed under and saved contacts are shown in;
// nullptr when there is none. Replaceable for tests.
extern std::function<IBrowserPage *()> ContactBrowserLookup;
IBrowserPage *CurrentContactBrowser();

// What the two contact editor windows share: the form, loading a contact row into it and saving
// it back with its records, album, photo, tags, relations and reminder series.
class TUserEditForm : public TForm
{
    Q_OBJECT
public:
    explicit TUserEditForm(TComponent *owner = nullptr);
    ~TUserEditForm() override;

    // The form's commands by component name; nullptr for another name.
    TCommand *Command(const QString &name) const;

    // Form --------------------------------------------------------------------------------------
    TSpTBXDock *SpTBXDock1;
    TSpTBXToolbar *SpTBXToolbar1;
    TCommand *TBXItem2;  // 保存
    TCommand *TBXItem1;  // 保存并关闭 (Ctrl+S)
    TCommand *TBXItem4;  // 保存并新增
    TCommand *TBXItem3;  // 关闭
    QTabWidget *userPageControl;
    QWidget *TabSheet10;  // 基本信息
    QWidget *TabSheet5;   // the detail pages
    QTabWidget *PageControl1;
    QWidget *TabSheet1;   // 个人详情
    QWidget *TabSheet2;   // 家庭教育
    QWidget *TabSheet4;   // 客户关系
    QWidget *TabSheet3;   // 人脉圈
    QWidget *TabSheet6;   // 照片
    QWidget *TabSheet7;   // 联系记录
    QStatusBar *StatusBar1;
    QLabel *StatusPanel;  // the status bar's first panel

    QLineEdit *usrkeyid;  // hidden: the row's keyid
    TLevelComboBox *ulevel;
    TCheckDatePicker *DateTimePicker1;  // birthday
    QRadioButton *RadioButton1;         // 阳历
    QRadioButton *RadioButton2;         // 阴历
    QCheckBox *CheckBox1;               // show the birthday
    TCheckDatePicker *seldate2;         // wedding anniversary
    QCheckBox *CheckBox2;               // show the anniversary
    QLabel *Image5;                     // the photo, 80 × 80
    QToolButton *SpeedButton1;          // add a photo (shown while there is none)
    TTBPopupMenu *PopupMenu1;
    TCommand *N1;  // 添加图像
    TCommand *N2;  // 另存为
    TCommand *N3;  // 删除图像
    QLineEdit *Edit1;      // tags
    QPushButton *Button1;  // 标签
    QPushButton *Button3;  // 人脉提醒
    QToolButton *Image2;   // mail to uemail
    QToolButton *Image3;   // mail to text1
    QToolButton *Image4;   // open uhtml
    std::array<QLabel *, 12> mylab;  // mylab1 .. mylab12

    QListWidget *ListView1;  // relations
    QPushButton *BitBtn5;    // 选择人脉
    QPushButton *BitBtn6;    // 移除
    QPushButton *BitBtn7;    // 新建人脉

    QTreeWidget *ListView2;  // records: 内容, 活动类型, 日期
    TTBPopupMenu *PopupMenu4;
    TCommand *N73;      // 新活动
    TCommand *N12;      // 新任务 (no command)
    TCommand *N74;      // 新附件
    TCommand *userm01;  // 打开
    TCommand *userm02;  // 另存为...
    TCommand *userm03;  // 删除
    QPushButton *BitBtn1;  // 新活动
    QPushButton *BitBtn3;  // 新附件
    QPushButton *BitBtn4;  // 删除

    QListWidget *userpiclistview;
    QToolBar *ToolBar2;
    TCommand *ToolButton72;  // 添加
    TCommand *ToolButton76;  // 打开 (hidden)
    TCommand *ToolButton74;  // 另存为 (hidden)
    TCommand *ToolButton75;  // 删除
    TCommand *ToolButton63;  // 上一个
    TCommand *ToolButton64;  // 下一个
    TCommand *ToolButton77;  // 合适大小
    TCommand *ToolButton66;  // 实际大小
    QScrollArea *ScrollBox1;
    QLabel *Image1;

    // State -------------------------------------------------------------------------------------
    bool Modified = false;
    bool ContactMissing = true;
    QStringList RelationList;  // "keyid=name", parallel to ListView1
    TReminderRule ReminderRule;
    TReminderRule ExpandedRule;
    Tfrmsetuseralarm *ReminderDialog = nullptr;

    // The control of a userinfo column on one of the four field pages (name without case).
    QWidget *FieldControl(const QString &column) const;
    QString FieldText(const QString &column) const;
    void SetFieldText(const QString &column, const QString &text);
    QStringList FieldColumns() const;

    // The contact photo: its file bytes and lower-case extension; empty when there is none.
    QByteArray PhotoBytes() const { return photoBytes_; }
    QString PhotoType() const { return photoType_; }
    bool HasPhoto() const;

    // Load and save -----------------------------------------------------------------------------
    void LoadContact(const QString &key);
    bool SaveContact();
    // Replaces the contact's tag links by the tags of the text, asking about unknown tags first;
    // true when a new tag was created. All links are written or none: `ok` tells which.
    bool SaveContactTags(const QString &text, const QString &key, bool *ok = nullptr);
    // Empties the form for a new contact: inputs, relations, records, album, photo, reminder
    // series and key.
    void ResetAsNew();

    // Commands ----------------------------------------------------------------------------------
    virtual void TBXItem2Click() = 0;  // 保存
    virtual void TBXItem1Click() = 0;  // 保存并关闭
    virtual void TBXItem4Click() = 0;  // 保存并新增
    virtual void TBXItem3Click() = 0;  // 关闭

    void mylabClick(int number);  // 1..12
    void text30Exit();            // also text44
    void unameExit();
    void DateTimePicker1Change();
    void Image2Click();
    void Image3Click();
    void Image4Click();
    void Button1Click();  // 标签
    void Button3Click();  // 人脉提醒

    // Records
    void N73Click();  // 新活动
    void N74Click();  // 新附件
    void ListView2DblClick();
    void userm02Click();  // 另存为
    void userm03Click();  // 删除
    void FreeRecordItems();
    RecordRow *RecordOf(int index) const;

    // Album and photo
    void ToolButton72Click();  // 添加
    void ToolButton74Click();  // 另存为
    void ToolButton75Click();  // 删除
    void ToolButton63Click();  // 上一个
    void ToolButton64Click();  // 下一个
    void ToolButton77Click();  // 合适大小
    void ToolButton66Click();  // 实际大小
    void ClearPhotoList();
    void AddPhotoItem(std::unique_ptr<PhotoRow> row);
    PhotoRow *PhotoOf(int index) const;
    QSize ShownPictureSize() const;
    void N1Click();  // 添加图像
    void N2Click();  // 另存为
    void N3Click();  // 删除图像

    // Relations
    void BitBtn5Click();  // 选择人脉
    void BitBtn6Click();  // 移除
    void BitBtn7Click();  // 新建人脉
    void ListView1DblClick();

    // The folder this window writes attachments into when they are opened; made on first use.
    QString TempFolder();

protected:
    // The tabbed editor recomputes the signs on 阳历/阴历; the modal one only notes the change.
    virtual bool IsTabbedEditor() const = 0;
    // What closing the window means; caNone keeps it open.
    virtual void FormClose(TCloseAction &Action) = 0;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // The unsaved-changes question; true for Yes.
    bool AskToSave();

private:
    TCommandList commands_;
    std::unique_ptr<TQtCommandBuilder> builder_;
    std::unique_ptr<TFrameworkCommandBuilder> frameworkBuilder_;
    QString saveProblem_;  // what made the last save fail, when the user can act on it
    void FormCreate();
    void BuildToolbar();
    void BuildBasicPage();
    void BuildFieldPage(QWidget *page, int pageNumber);
    void BuildRelationPage();
    void BuildAlbumPage();
    void BuildRecordPage();
    void FillDropDownLists();
    void HookChangeEvents();
    void updateChange();
    void CalendarChoiceClick();

    void LoadRow(TADOQuery &row, const QString &key);
    void LoadRelations(const QString &linkuser);
    void LoadRecords();
    void LoadAlbum();
    // The tags a save links, in the order of the text, and the unknown ones the user agreed to
    // create; asked before anything is written.
    struct TTagPlan {
        QStringList NewTags;
        QStringList Links;
    };
    TTagPlan AskForTags(const QString &text);
    bool WriteContactTags(const TTagPlan &plan, const QString &key);
    bool WriteContactRow(bool &isNew);
    // The written rows' ids are handed back, to be taken once the whole save is committed.
    bool SaveRecords(std::vector<std::pair<RecordRow *, QString>> &written);
    bool SaveAlbum(std::vector<std::pair<PhotoRow *, QString>> &written);
    void ExpandReminderRule();
    void UpdateBrowserNode(bool isNew);

    void AddRecordItem(std::unique_ptr<RecordRow> row);
    void ShowRecordItem(QTreeWidgetItem *item);
    void OpenAttachment(const RecordRow &row);
    void ResizeRecordColumns();
    void ShowPicture(int index);
    void FitShownPicture();
    void SetPhoto(const QByteArray &bytes, const QString &type, const QString &name);
    void ClearPhoto();
    void AddRelationItem(const QString &entry, const QString &sex);
    QString RelationSexText(const QString &key);

    QHash<QString, QWidget *> fields_;  // lower-case column → control
    std::unique_ptr<TADOQuery> query_;
    std::unique_ptr<QTemporaryDir> tempDir_;
    QByteArray photoBytes_;
    QString photoType_;
    QString photoName_;
    TPicture photo_;
    TPicture shownPicture_;
    QDateTime activeNewTime_;
    // What the date columns held at load, so an unreadable stored date survives a save.
    QString birthdayText_;
    QString anniversaryText_;
    bool birthdayAtLoad_ = false;
    bool anniversaryAtLoad_ = false;
    QDate birthdayDateAtLoad_;
    QDate anniversaryDateAtLoad_;
    bool nameEdited_ = false;  // the surname or given name was typed in since it was last left
};

// The tabbed editor: registered with the main window by its name ("add_userform" or "useredit"
// followed by the key); also shown modally by the browser and the reminder pop-up.
class Tfrmuseredit : public TUserEditForm, public IContactEditor
{
    Q_OBJECT
public:
    explicit Tfrmuseredit(TComponent *owner = nullptr);

    QWidget *EditorWindow() override { return this; }
    void LoadContact(const QString &keyid) override { TUserEditForm::LoadContact(keyid); }

    void TBXItem2Click() override;
    void TBXItem1Click() override;
    void TBXItem4Click() override;
    void TBXItem3Click() override;

protected:
    bool IsTabbedEditor() const override { return true; }
    void FormClose(TCloseAction &Action) override;

private:
    bool IsRegisteredAs(const QString &name) const;
    void Rename(const QString &name);
};

// Installs the editor into the main window's factory of editor windows, which the browser and the
// reminder pop-up also use for their modal editors.
void InstallContactEditor();
