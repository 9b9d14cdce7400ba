// Opening accounts and the account password commands of the main window.
#include "main/Main.h"

#include "themed/SpTBXItem.h"

#include "shared/AppGlobals.h"
#include "main/EditorRegistry.h"
#include "shared/Utility.h"
#include "shared/UtilityDb.h"
#include "shared/WNDES.h"
#include "account/AccountSession.h"
#include "account/dataModule.h"
#include "account/hfdb.h"
#include "account/inputpsd.h"
#include "account/newdataform.h"
#include "account/setnewpwd.h"
#include "account/sysset.h"

#include "platform/ADODB.h"
#include "platform/UiServices.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace {

const QString Orvanta = QStringLiteral("Orvanta");

enum class TPasswordRead { Ok, Unreadable };

// Where a damaged account is kept when a backup takes its place: what it still holds may be
// worth saving.
QString DamagedCopyName(const QString &path)
{
    return path + QStringLiteral(".damaged");
}

// The account's password, read through a connection of its own (`login`, left open) so the open
// account is not touched. It is kept in the first row of usermsg, the one the password commands
// write.
TPasswordRead ReadAccountPassword(TADOQuery *query, TADOConnection &login, const QString &path, QString &password)
{
    try {
        login.Open(path);
    } catch (const EDatabaseError &) {
        return TPasswordRead::Unreadable;
    }
    query->SetConnection(&login);
    // A usermsg that cannot be read is not an account without a password.
    bool read = RunQuery(query, AccountPasswordQuery);
    const TField *field = read ? query->FindField(QStringLiteral("password")) : nullptr;
    read = field != nullptr;
    if (read && !query->IsEmpty()) {
        query->First();
        password = DesDecryptString(field->AsString(), DesKey);
    }
    query->Close();
    query->SetConnection(nullptr);
    return read ? TPasswordRead::Ok : TPasswordRead::Unreadable;
}

} // namespace

void Tfrmmain::SetStatusText(const QString &text)
{
    SpTBXLabelItem1->SetCaptionW(text);
}

QString Tfrmmain::StatusText() const
{
    return SpTBXLabelItem1->CaptionW();
}

bool Tfrmmain::PasswordMatches(const QString &typed) const
{
    const DesResult cipher = DesEncryptString(typed, DesKey);
    return cipher.Ok() && cipher.Text == account_.PasswordCipher();
}

void Tfrmmain::OpenLastAccount()
{
    const QString last = account_.Path();
    if (!last.isEmpty() && QFileInfo(last).isFile()) {
        OpenAccount(last);
        return;
    }
    account_.Forget();
    ShowFromTray();
    ShowAccountList(this, account_, [this](const QString &path) { OpenAccount(path); });
}

bool Tfrmmain::CloseAccountWindows()
{
    if (Form1 && !Form1->CloseEditors())
        return false;
    // Reminders of the account that goes must not pop up over the next one.
    if (CustomerData) {
        CustomerData->SetAlarmCheck(false);
        CustomerData->CloseAlarmWindows();
    }
    return true;
}

void Tfrmmain::OpenAccount(const QString &path)
{
    ShowFromTray();
    TAccountLogin login;
    if (!AuthenticateAccount(path, login) || !CloseAccountWindows())
        return;
    SwitchAccount(path, login);
}

bool Tfrmmain::AuthenticateAccount(const QString &path, TAccountLogin &login)
{
    if (!QFileInfo(path).isFile()) {
        ShowMessage(QStringLiteral("登陆失败,打开不存在的文件！"), Orvanta, MsgIcon::Warning);
        return false;
    }
    if (TADOConnection::CheckFile(path) == TAccountFileState::Damaged && !RestoreDamagedAccount(path))
        return false;
    QString password;
    auto opened = std::make_shared<TADOConnection>();
    if (ReadAccountPassword(loginADOQuery, *opened, path, password) != TPasswordRead::Ok) {
        ShowMessage(QStringLiteral("登陆失败,数据格式错误！"), Orvanta, MsgIcon::Warning);
        return false;
    }
    bool isProtected = false;
    if (!password.isEmpty()) {
        for (int tries = 0; tries < 3 && !isProtected; ++tries) {
            QString typed;
            if (!PromptPassword(typed, path))
                return false;
            if (typed == password)
                isProtected = true;
            else
                ShowMessage(QStringLiteral("密码错误,登陆失败！"), Orvanta, MsgIcon::Warning);
        }
        if (!isProtected)
            return false;
    }
    login.Protected = isProtected;
    login.Cipher = password.isEmpty() ? QString() : DesEncryptString(password, DesKey).Text;
    login.Opened = std::move(opened);
    return true;
}

bool Tfrmmain::RestoreDamagedAccount(const QString &path)
{
    const QString backup = NewestGoodBackup(path);
    if (backup.isEmpty()) {
        ShowMessage(QStringLiteral("账户数据已损坏，无法打开！\r\n没有找到可以恢复的备份。"), Orvanta, MsgIcon::Warning);
        return false;
    }
    const QString question = QStringLiteral("账户数据已损坏，无法打开！\r\n用最近的完好备份恢复吗？\r\n") + backup +
                             QStringLiteral("\r\n（损坏的文件保留为 ") + QFileInfo(DamagedCopyName(path)).fileName() +
                             QStringLiteral("）");
    if (ShowMessage(question, Orvanta, MsgIcon::Question, MsgButtons::YesNo) != MsgResult::Yes)
        return false;
    // The open account's connection must let go of the file before it is replaced.
    if (path == account_.Path() && CustomerData)
        CustomerData->dbConnection->Close();
    const QString damaged = DamagedCopyName(path);
    QFile::remove(damaged);
    if (!QFile::copy(path, damaged) || !ReplaceWithCopy(backup, path)) {
        ShowMessage(QStringLiteral("恢复失败！"), Orvanta, MsgIcon::Warning);
        return false;
    }
    return true;
}

bool Tfrmmain::RestoreAccountFrom(const QString &backup)
{
    // The backup's own password is asked while the account is still open, so a refusal leaves it
    // as it was.
    TAccountLogin login;
    if (!AuthenticateAccount(backup, login))
        return false;
    // An editor saving after the copy would write the old rows' keys into the restored file.
    if (!CloseAccountWindows())
        return false;
    CustomerData->dbConnection->Close();
    CustomerData->dbConnection->SetFileName(QString());
    // A failed copy leaves the account as it was; it is opened again all the same, with its own
    // protection, and the user must not take it for the backup.
    const QString path = account_.Path();
    if (!ReplaceWithCopy(backup, path)) {
        ShowMessage(QStringLiteral("恢复失败，当前账户没有改变。"), Orvanta, MsgIcon::Warning);
        login = CurrentLogin();
    }
    SwitchAccount(path, login);
    return true;
}

Tfrmmain::TAccountLogin Tfrmmain::CurrentLogin() const
{
    return {account_.Protected(), account_.PasswordCipher(), nullptr};
}

void Tfrmmain::SwitchAccount(const QString &path, const TAccountLogin &login)
{
    account_.Switch(path, login.Protected, login.Cipher);
    SetStatusText(QStringLiteral("当前打开数据: ") + path);

    if (ConnectAccount(login.Opened.get()))
        EnableAccountCommands();

    const bool browserWasVisible = BrowserPageVisible();
    const bool calendarWasVisible = CalendarPageVisible();
    FreePages();
    if (browserWasVisible)
        ShowBrowserPage();
    if (calendarWasVisible)
        ShowCalendarPage();
    if (!browser_ && !calendar_)
        ShowBrowserPage();
}

bool Tfrmmain::ConnectAccount(TADOConnection *opened)
{
    TADOConnection *connection = CustomerData->dbConnection;
    const QString path = account_.Path();
    CustomerData->SetAlarmCheck(false);
    if (!QFileInfo(path).isFile()) {
        connection->Close();
        DisableAccountCommands();
        SetStatusText(QStringLiteral("文件不存在: ") + path);
        return false;
    }
    try {
        connection->Close();
        if (opened && opened->Connected() && opened->FileName() == path)
            connection->TakeOver(*opened);
        else
            connection->Open(path);
    } catch (const EDatabaseError &) {
        ShowMessage(QStringLiteral("无法与数据库建立连接，请检查数据库是否已经存在。"), Orvanta, MsgIcon::None);
        DisableAccountCommands();
        SetStatusText(QStringLiteral("错误的数据文件: ") + path);
        return false;
    }
    for (TADOQuery *query : {ADOQuery1, ADOQuery2, redtADOQuery})
        query->SetConnection(connection);
    CustomerData->SetAlarmCheck(true);
    SetStatusText(QStringLiteral("当前打开数据: ") + path);
    if (connection->ReadOnly())
        ShowMessage(QStringLiteral("账户文件是只读的，对它所做的修改将无法保存！"), Orvanta, MsgIcon::Warning);
    return true;
}

void Tfrmmain::DisableAccountCommands()
{
    SpTBXToolbar2->SetVisible(false);
    SetCommandVisible(QStringLiteral("SpTBXSubmenuItem9"), false);
    for (const char *name : {"SpTBXSubmenuItem2", "SpTBXSubmenuItem3", "SpeedButton1", "SpTBXItem1", "SpTBXItem33",
                             "SpTBXItem11", "SpTBXItem24"})
        SetCommandEnabled(QString::fromLatin1(name), false);
}

void Tfrmmain::SetPassword()
{
    if (account_.Protected()) {
        QString typed;
        if (!PromptPassword(typed))
            return;
        if (!PasswordMatches(typed)) {
            ShowMessage(QStringLiteral("密码错误,不能取消保护!"), Orvanta, MsgIcon::Warning);
            return;
        }
    }
    Tfrmsetnewpwd dialog(ADOQuery1, account_.Path(), this);
    if (dialog.exec() == QDialog::Accepted)
        account_.SetPassword(dialog.Cipher());
}

void Tfrmmain::RemovePassword()
{
    if (!account_.Protected())
        return;
    QString typed;
    if (!PromptPassword(typed))
        return;
    if (!PasswordMatches(typed)) {
        ShowMessage(QStringLiteral("密码错误,不能取消保护!"), Orvanta, MsgIcon::Warning);
        return;
    }
    // A blank deciphers to an empty text, which counts as no password.
    if (!WriteAccountPassword(ADOQuery1, QStringLiteral(" "))) {
        ShowMessage(QStringLiteral("保存错误！"), Orvanta, MsgIcon::Warning);
        return;
    }
    account_.SetPassword(QString());
}

void Tfrmmain::SpTBXItem18Click()
{
    ShowAccountListModal(this, account_, [this](const QString &path) { OpenAccount(path); });
}

void Tfrmmain::SpTBXItem24Click()
{
    ShowRestoreDialog(this, account_, [this](const QString &backup) { return RestoreAccountFrom(backup); });
}

void Tfrmmain::SpTBXItem33Click()
{
    ShowSettingsDialog(this, account_, [this](const TSettingsChange &change) { ApplySettings(change); });
}

void Tfrmmain::ApplySettings(const TSettingsChange &change)
{
    if (change.LunarCaptions && calendar_)
        calendar_->SetLunarCaptions(*change.LunarCaptions);
    if (change.ReloadMonth && calendar_)
        calendar_->LoadMonth(true);
    if (change.ReloadTodayTree && CalendarPageVisible())
        calendar_->LoadTodayTree();
    if (change.AutoBackup && CustomerData) {
        if (*change.AutoBackup)
            CustomerData->dbbakTimer->start();
        else
            CustomerData->dbbakTimer->stop();
    }
    if (change.ShowHideKey) {
        if (change.ShowHideKey->isEmpty())
            UnregisterHotKeys();
        else
            RegisterShowHideHotKey(*change.ShowHideKey);
    }
}
