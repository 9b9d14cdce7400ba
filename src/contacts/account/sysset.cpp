#include "account/sysset.h"
#include "account/AccountSession.h"

#include "shared/AppGlobals.h"
#include "shared/FormParts.h"
#include "shared/Utility.h"
#include "account/dataModule.h"
#include "account/hfdb.h"

#include "platform/ADODB.h"
#include "platform/AppPaths.h"
#include "platform/IniFiles.h"
#include "platform/Registry.h"
#include "platform/UiServices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QStyleOptionFrame>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

QPointer<Tfrmsysset> frmsysset;

namespace {

const QString Orvanta = QStringLiteral("Orvanta");
const QString SYS = QStringLiteral("SYS");
const QString USERSET = QStringLiteral("USERSET");
const QString HotKey = QStringLiteral("HotKey");

// Thrown inside the save when a value could not be written.
struct TSaveFailed {};

void Need(bool written)
{
    if (!written)
        throw TSaveFailed{};
}

QString Flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

QString WithSlash(QString folder)
{
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

QSpinBox *SpinEdit(const char *name, int low, int high, QWidget *parent)
{
    auto *spin = new QSpinBox(parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setRange(low, high);
    return spin;
}

QCheckBox *CheckBox(const char *name, const QString &caption, QWidget *parent)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

bool SameFileName(const QString &a, const QString &b)
{
    const auto normal = [](const QString &path) {
        const QFileInfo info(path);
        const QString canonical = info.canonicalFilePath();
        return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
    };
    return normal(a) == normal(b);
}


} // namespace

// Path field ------------------------------------------------------------------------------------

QRect TPathEdit::TextRect() const
{
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    // The line edit's own margins around its text: two pixels across, one down.
    return style()->subElementRect(QStyle::SE_LineEditContents, &panel, this).marginsRemoved(textMargins()).adjusted(2, 1, -2, -1);
}

QString TPathEdit::ShownText() const
{
    if (hasFocus() || echoMode() != Normal)
        return text();
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, TextRect().width());
}

void TPathEdit::paintEvent(QPaintEvent *event)
{
    const QString shown = ShownText();
    if (shown == text()) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.drawText(TextRect(), int(Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine), shown);
}

// Hot-key field ---------------------------------------------------------------------------------

THotKeyEdit::THotKeyEdit(QWidget *parent) : QLineEdit(parent)
{
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

QString THotKeyEdit::HotKeyText(int key, Qt::KeyboardModifiers modifiers)
{
    const bool letter = key >= Qt::Key_A && key <= Qt::Key_Z;
    const QString name = letter ? QString(QChar('A' + (key - Qt::Key_A))) : QString();
    if (modifiers & Qt::ControlModifier)
        return QStringLiteral("Ctrl + ") + name;
    if (modifiers & Qt::AltModifier)
        return QStringLiteral("Alt + ") + name;
    if (letter)
        return QStringLiteral("Ctrl + Alt + ") + name;
    return {};
}

namespace {

// Keys the field turns into a hot-key text: anything with Control or Alt, and a letter. Backspace
// and Delete clear the field. The rest (Tab, Escape, Enter, function keys ...) are not the
// field's: a keyboard user leaves the field and closes the dialog with them.
enum class THotKeyInput { Chord, Clear, PassOn };

THotKeyInput Classify(const QKeyEvent *event)
{
    const int key = event->key();
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return THotKeyInput::Chord;
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return THotKeyInput::Chord;
    if (key == Qt::Key_Backspace || key == Qt::Key_Delete)
        return THotKeyInput::Clear;
    return THotKeyInput::PassOn;
}

} // namespace

bool THotKeyEdit::event(QEvent *event)
{
    // Claiming the shortcut keeps Alt+letter from pressing a button through its mnemonic.
    if (event->type() == QEvent::ShortcutOverride &&
        Classify(static_cast<QKeyEvent *>(event)) != THotKeyInput::PassOn) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void THotKeyEdit::keyPressEvent(QKeyEvent *event)
{
    switch (Classify(event)) {
    case THotKeyInput::Chord:
        setText(HotKeyText(event->key(), event->modifiers()));
        break;
    case THotKeyInput::Clear:
        clear();
        break;
    case THotKeyInput::PassOn:
        event->ignore();
        return;
    }
    event->accept();
}

// Dialog ----------------------------------------------------------------------------------------

Tfrmsysset::Tfrmsysset(const TAccountSession &account, QWidget *owner) : QDialog(owner), account_(account)
{
    setObjectName(QStringLiteral("frmsysset"));
    setWindowTitle(QStringLiteral("系统"));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));

    // 系统
    auto *system = new QWidget;
    CheckBox5 = CheckBox("CheckBox5", QStringLiteral("随操作系统自动启动"), system);
    CheckBox7 = CheckBox("CheckBox7", QStringLiteral("自动登录"), system);
    CheckBox7->hide();
    CheckBox11 = CheckBox("CheckBox11", QStringLiteral("关闭主窗口时最小化为系统图标"), system);
    auto *systemLayout = new QVBoxLayout(system);
    systemLayout->addWidget(CheckBox5);
    systemLayout->addWidget(CheckBox7);
    systemLayout->addWidget(CheckBox11);
    systemLayout->addStretch(1);
    PageControl1->addTab(system, QStringLiteral("系统"));

    // 日历
    auto *calendar = new QWidget;
    ComboBox5 = new QComboBox(calendar);
    ComboBox5->setObjectName(QStringLiteral("ComboBox5"));
    for (int day = 1; day <= 7; ++day)
        ComboBox5->addItem(QString::number(day));
    CheckBox15 = CheckBox("CheckBox15", QStringLiteral("显示农历"), calendar);
    CheckBox13 = CheckBox("CheckBox13", QStringLiteral("在日历中显示人脉提醒"), calendar);
    CheckBox14 = CheckBox("CheckBox14", QStringLiteral("在日历中显示节日提醒"), calendar);
    auto *days = new QHBoxLayout;
    days->addWidget(new QLabel(QStringLiteral("日程安排显示天数"), calendar));
    days->addWidget(ComboBox5);
    days->addStretch(1);
    auto *calendarLayout = new QVBoxLayout(calendar);
    calendarLayout->addLayout(days);
    calendarLayout->addWidget(CheckBox15);
    calendarLayout->addWidget(CheckBox13);
    calendarLayout->addWidget(CheckBox14);
    calendarLayout->addStretch(1);
    PageControl1->addTab(calendar, QStringLiteral("日历"));

    // 人脉
    auto *contacts = new QWidget;
    Edit2 = new TPathEdit(contacts);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Button1 = FormButton(QStringLiteral("选择"), "Button1", contacts);
    SpinEdit1 = SpinEdit("SpinEdit1", MinViewCount, MaxViewCount, contacts);
    SpinEdit2 = SpinEdit("SpinEdit2", MinViewCount, MaxViewCount, contacts);
    auto *contactsLayout = new QGridLayout(contacts);
    contactsLayout->addWidget(new QLabel(QStringLiteral("人脉提醒声音:"), contacts), 0, 0);
    contactsLayout->addWidget(Edit2, 0, 1, 1, 3);
    contactsLayout->addWidget(Button1, 0, 4);
    contactsLayout->addWidget(new QLabel(QStringLiteral("常用人脉参数: 查看"), contacts), 1, 0);
    contactsLayout->addWidget(SpinEdit1, 1, 1);
    contactsLayout->addWidget(new QLabel(QStringLiteral("次以上"), contacts), 1, 2);
    contactsLayout->addWidget(new QLabel(QStringLiteral("最近联系参数: 依据"), contacts), 2, 0);
    contactsLayout->addWidget(SpinEdit2, 2, 1);
    contactsLayout->addWidget(new QLabel(QStringLiteral("个月内的活动记录显示"), contacts), 2, 2, 1, 3);
    contactsLayout->setRowStretch(3, 1);
    contactsLayout->setColumnStretch(3, 1);
    PageControl1->addTab(contacts, QStringLiteral("人脉"));

    // 快捷键
    auto *keys = new QWidget;
    Edit1 = new THotKeyEdit(keys);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    CheckBox9 = CheckBox("CheckBox9", QStringLiteral("最小化窗口"), keys);
    auto *keysLayout = new QGridLayout(keys);
    keysLayout->addWidget(CheckBox9, 0, 0);
    keysLayout->addWidget(Edit1, 0, 1);
    keysLayout->setRowStretch(1, 1);
    keysLayout->setColumnStretch(2, 1);
    PageControl1->addTab(keys, QStringLiteral("快捷键"));

    // 备份
    auto *backup = new QWidget;
    SpinEdit3 = SpinEdit("SpinEdit3", MinBackupHours, MaxBackupHours, backup);
    SpinEdit4 = SpinEdit("SpinEdit4", MinBackupKeep, MaxBackupKeep, backup);
    CheckBox16 = CheckBox("CheckBox16", QStringLiteral("启用自动备份"), backup);
    Button2 = FormButton(QStringLiteral("马上备份"), "Button2", backup);
    auto *folderGroup = new QGroupBox(QStringLiteral("备份目录"), backup);
    RadioButton1 = new QRadioButton(QStringLiteral("默认备份文件夹"), folderGroup);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton3 = new QRadioButton(QStringLiteral("选择其它文件夹"), folderGroup);
    RadioButton3->setObjectName(QStringLiteral("RadioButton3"));
    Edit4 = new QLineEdit(DefaultBackupDir(), folderGroup);
    Edit4->setObjectName(QStringLiteral("Edit4"));
    Edit4->setReadOnly(true);
    Edit3 = new QLineEdit(folderGroup);
    Edit3->setObjectName(QStringLiteral("Edit3"));
    ShellTreeView1 = new QTreeView(folderGroup);
    ShellTreeView1->setObjectName(QStringLiteral("ShellTreeView1"));
    folders_ = new QFileSystemModel(this);
    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    folders_->setRootPath(QStringLiteral("/"));
    ShellTreeView1->setModel(folders_);
    for (int column = 1; column < folders_->columnCount(); ++column)
        ShellTreeView1->hideColumn(column);
    ShellTreeView1->header()->hide();
    ShellTreeView1->setMinimumHeight(140);
    auto *folderLayout = new QGridLayout(folderGroup);
    folderLayout->addWidget(RadioButton1, 0, 0);
    folderLayout->addWidget(Edit4, 0, 1);
    folderLayout->addWidget(RadioButton3, 1, 0);
    folderLayout->addWidget(Edit3, 1, 1);
    folderLayout->addWidget(ShellTreeView1, 2, 0, 1, 2);
    auto *backupTop = new QGridLayout;
    backupTop->addWidget(new QLabel(QStringLiteral("备份时间间隔"), backup), 0, 0);
    backupTop->addWidget(SpinEdit3, 0, 1);
    backupTop->addWidget(new QLabel(QStringLiteral("小时"), backup), 0, 2);
    backupTop->addWidget(CheckBox16, 0, 4);
    backupTop->addWidget(new QLabel(QStringLiteral("保留备份文件数目"), backup), 1, 0);
    backupTop->addWidget(SpinEdit4, 1, 1);
    backupTop->addWidget(Button2, 1, 4);
    backupTop->setColumnStretch(3, 1);
    auto *backupLayout = new QVBoxLayout(backup);
    backupLayout->addLayout(backupTop);
    backupLayout->addWidget(folderGroup, 1);
    PageControl1->addTab(backup, QStringLiteral("备份"));

    ApplyButton = FormButton(QStringLiteral("应用"), "ApplyButton", this);
    OKButton = FormButton(QStringLiteral("确定"), "OKButton", this);
    CancelButton = FormButton(QStringLiteral("取消"), "CancelButton", this);
    QHBoxLayout *buttons = ButtonRow({OKButton, CancelButton, ApplyButton});
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);
    resize(480, 400);

    connect(ApplyButton, &QPushButton::clicked, this, [this] {
        if (Save())
            SetModified(false);
    });
    connect(OKButton, &QPushButton::clicked, this, [this] { OKClick(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(CheckBox5, &QCheckBox::clicked, this, [this] { CheckBox5Click(); });
    connect(CheckBox15, &QCheckBox::clicked, this, [this](bool on) {
        TSettingsChange change;
        change.LunarCaptions = on;
        Changed(change);
    });
    for (QCheckBox *box : {CheckBox13, CheckBox14}) {
        connect(box, &QCheckBox::clicked, this, [this] {
            TSettingsChange change;
            change.ReloadMonth = true;
            Changed(change);
        });
    }
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(ShellTreeView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    Edit3->setText(WithSlash(folders_->filePath(current)));
            });
    connect(RadioButton1, &QRadioButton::toggled, this, [this] { UpdateFolderChoice(); });

    // Any change makes 应用 available.
    const auto modified = [this] { SetModified(true); };
    for (QCheckBox *box : findChildren<QCheckBox *>())
        connect(box, &QCheckBox::toggled, this, modified);
    for (QSpinBox *spin : findChildren<QSpinBox *>())
        connect(spin, &QSpinBox::valueChanged, this, modified);
    for (QLineEdit *edit : {static_cast<QLineEdit *>(Edit1), static_cast<QLineEdit *>(Edit2), Edit3})
        connect(edit, &QLineEdit::textChanged, this, modified);
    connect(ComboBox5, &QComboBox::currentIndexChanged, this, modified);
    connect(RadioButton1, &QRadioButton::toggled, this, modified);

    PageControl1->setCurrentIndex(0);
    Edit2->setText(AppSettings().AlarmSoundFile);
    SetModified(false);
}

void Tfrmsysset::SetModified(bool modified)
{
    ApplyButton->setEnabled(modified);
}

void Tfrmsysset::UpdateFolderChoice()
{
    const bool other = RadioButton3->isChecked();
    Edit3->setEnabled(other);
    ShellTreeView1->setEnabled(other);
}

void Tfrmsysset::SelectFolderInTree(const QString &path)
{
    const QModelIndex index = folders_->index(QDir::cleanPath(path));
    if (!index.isValid())
        return;
    const QSignalBlocker blocker(ShellTreeView1->selectionModel());
    ShellTreeView1->setCurrentIndex(index);
    ShellTreeView1->scrollTo(index);
}

void Tfrmsysset::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
}

void Tfrmsysset::FormShow()
{
    ComboBox5->setCurrentIndex(AppSettings().TodayTreeDays);
    const TIniFile ini(ConfigIniPath());
    CheckBox5->setChecked(ini.ReadBool(SYS, QStringLiteral("SysAutStart"), false));
    CheckBox11->setChecked(!AppSettings().ExitOnClose);
    CheckBox15->setChecked(ini.ReadBool(SYS, QStringLiteral("ShowCh"), true));
    CheckBox9->setChecked(ini.ReadBool(HotKey, QStringLiteral("sysmin"), true));
    Edit1->setText(ini.ReadString(HotKey, QStringLiteral("key"), QStringLiteral("Alt + Z")));
    Edit2->setText(AppSettings().AlarmSoundFile);
    CheckBox14->setChecked(AppSettings().ShowFestivals);
    CheckBox13->setChecked(AppSettings().ShowContactEvents);
    CheckBox7->setChecked(AppSettings().AutoLogin);
    SpinEdit1->setValue(AppSettings().FrequentViewCount);
    SpinEdit2->setValue(AppSettings().RecentMonths);

    const auto read = [](const char *name) {
        return RegReadString(2, OrvRegistryKey, QString::fromLatin1(name));
    };
    AppSettings().BackupDir = DefaultBackupDir();
    const QString path = read("BakPath");
    if (!path.isEmpty())
        AppSettings().BackupDir = WithSlash(path);
    CheckBox16->setChecked(read("AUTOBak") == QStringLiteral("1"));
    AppSettings().BackupIntervalHours = SettingNumber(read("BakTime"), AppSettings().BackupIntervalHours, MinBackupHours, MaxBackupHours);
    AppSettings().BackupKeepCount = SettingNumber(read("BakCount"), AppSettings().BackupKeepCount, MinBackupKeep, MaxBackupKeep);
    if (AppSettings().BackupDir == DefaultBackupDir())
        RadioButton1->setChecked(true);
    else
        RadioButton3->setChecked(true);
    UpdateFolderChoice();
    Edit3->setText(AppSettings().BackupDir);
    SelectFolderInTree(AppSettings().BackupDir);
    SpinEdit3->setValue(AppSettings().BackupIntervalHours);
    SpinEdit4->setValue(AppSettings().BackupKeepCount);

    SetModified(false);
}

void Tfrmsysset::Changed(const TSettingsChange &change)
{
    if (OnChange)
        OnChange(change);
}

bool Tfrmsysset::Save()
{
    TSettingsChange change;
    bool saved = true;
    try {
        TIniFile ini(ConfigIniPath());
        Need(ini.WriteBool(SYS, QStringLiteral("ExitSoft"), !CheckBox11->isChecked()));
        Need(ini.WriteBool(SYS, QStringLiteral("ShowCh"), CheckBox15->isChecked()));
        change.LunarCaptions = CheckBox15->isChecked();
        AppSettings().ExitOnClose = !CheckBox11->isChecked();

        Need(RegWriteString(2, OrvRegistryKey, QStringLiteral("AUTO"), Flag(CheckBox7->isChecked())));
        Need(RegWriteString(2, OrvRegistryKey, QStringLiteral("AUTOBak"), Flag(CheckBox16->isChecked())));
        change.AutoBackup = CheckBox16->isChecked();

        QString folder = RadioButton1->isChecked() ? DefaultBackupDir() : Edit3->text().trimmed();
        if (folder.isEmpty())
            folder = DefaultBackupDir();
        AppSettings().BackupDir = WithSlash(folder);
        Need(RegWriteString(2, OrvRegistryKey, QStringLiteral("BakPath"), AppSettings().BackupDir));
        Need(RegWriteString(2, OrvRegistryKey, QStringLiteral("BakTime"), QString::number(SpinEdit3->value())));
        Need(RegWriteString(2, OrvRegistryKey, QStringLiteral("BakCount"), QString::number(SpinEdit4->value())));
        AppSettings().BackupIntervalHours = SpinEdit3->value();
        AppSettings().BackupKeepCount = SpinEdit4->value();

        const QString soundName = Edit2->text().trimmed();
        Need(ini.WriteBool(HotKey, QStringLiteral("sysmin"), CheckBox9->isChecked()));
        Need(ini.WriteString(HotKey, QStringLiteral("key"), Edit1->text().trimmed()));
        Need(ini.WriteBool(SYS, QStringLiteral("SysAutStart"), CheckBox5->isChecked()));
        Need(ini.WriteString(USERSET, QStringLiteral("vidfilename"), soundName));
        Need(ini.WriteInteger(USERSET, QStringLiteral("showcount"), SpinEdit1->value()));
        Need(ini.WriteInteger(USERSET, QStringLiteral("monthcount"), SpinEdit2->value()));
        AppSettings().FrequentViewCount = SpinEdit1->value();
        AppSettings().RecentMonths = SpinEdit2->value();
        Need(ini.WriteBool(SYS, QStringLiteral("show1"), CheckBox14->isChecked()));
        Need(ini.WriteBool(SYS, QStringLiteral("show2"), CheckBox13->isChecked()));

        if (CheckBox14->isChecked() != AppSettings().ShowFestivals || CheckBox13->isChecked() != AppSettings().ShowContactEvents) {
            AppSettings().ShowFestivals = CheckBox14->isChecked();
            AppSettings().ShowContactEvents = CheckBox13->isChecked();
            change.ReloadMonth = true;
        }

        if (!soundName.isEmpty() && QFileInfo(soundName).isFile())
            AppSettings().AlarmSoundFile = soundName;

        // The tree is reloaded with the new number of days, not the old one.
        const int days = std::max(0, ComboBox5->currentIndex());
        const bool daysChanged = days != AppSettings().TodayTreeDays;
        AppSettings().TodayTreeDays = days;
        Need(ini.WriteInteger(USERSET, QStringLiteral("daycount"), days));
        change.ReloadTodayTree = daysChanged;

        if (CheckBox9->isChecked()) {
            const QString key = Edit1->text().trimmed().toUpper();
            change.ShowHideKey = key.isEmpty() ? QStringLiteral("Alt+Z") : key;
        } else {
            change.ShowHideKey = QString();
        }
    } catch (const TSaveFailed &) {
        saved = false;
    }
    // What was written before a failed write still takes effect.
    Changed(change);
    if (!saved)
        ShowMessage(QStringLiteral("保存错误！"), Orvanta, MsgIcon::Warning, MsgButtons::OK, this);
    return saved;
}

void Tfrmsysset::OKClick()
{
    // A failed save keeps the dialog open, so the settings are not taken for stored.
    if (ApplyButton->isEnabled() && !Save())
        return;
    accept();
}

void Tfrmsysset::CheckBox5Click()
{
    if (CheckBox5->isChecked())
        RegWriteString(3, TRegistry::RunKey, Orvanta, ProgramPath());
    else
        RegRemoveValue(3, TRegistry::RunKey, Orvanta);
}

void Tfrmsysset::Button1Click()
{
    const QString name = Dialogs().OpenFileName(this, QStringLiteral("人脉提醒声音"), QFileInfo(AppSettings().AlarmSoundFile).absolutePath(),
                                                 QStringLiteral("声音 (*.wav)"));
    if (name.isEmpty() || !QFileInfo(name).isFile())
        return;
    AppSettings().AlarmSoundFile = name;
    Edit2->setText(name);
}

// Copies the open account to `target`: the live connection writes a consistent copy, a file
// nobody has open is copied as it is.
bool Tfrmsysset::CopyAccount(const QString &target) const
{
    if (SameFileName(account_.Path(), target))
        return false;
    TADOConnection *connection = account_.Connection();
    if (connection && connection->Connected() && SameFileName(connection->FileName(), account_.Path()))
        return connection->BackupTo(target);
    return ReplaceWithCopy(account_.Path(), target);
}

void Tfrmsysset::Button2Click()
{
    if (account_.Path().isEmpty() || !QFileInfo(account_.Path()).isFile())
        return;
    const QString suggested = DefaultBackupDir() + Clock().Now().toString(QStringLiteral("yyyyMMdd")) +
                              TrimmedFileName(account_.Path());
    QString name = Dialogs().SaveFileNameWithoutPrompt(this, QStringLiteral("通讯录数据备份"), suggested,
                                          QStringLiteral("通讯录数据文件(*.txl)"));
    if (name.isEmpty())
        return;
    if (FileExtLower(name) != QLatin1String("txl"))
        name += QStringLiteral(".txl");
    if (QFileInfo::exists(name) &&
        ShowMessage(QStringLiteral("文件已经存在覆盖吗？"), Orvanta, MsgIcon::Question, MsgButtons::YesNo, this) !=
            MsgResult::Yes)
        return;
    if (!CopyAccount(name))
        ShowMessage(QStringLiteral("保存错误！"), Orvanta, MsgIcon::Warning, MsgButtons::OK, this);
}

void ShowSettingsDialog(QWidget *owner, const TAccountSession &account,
                        std::function<void(const TSettingsChange &)> onChange)
{
    if (!frmsysset)
        frmsysset = new Tfrmsysset(account, owner);
    frmsysset->OnChange = std::move(onChange);
    frmsysset->exec();
}
