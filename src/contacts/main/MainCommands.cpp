// The main window's file, tool and help commands: backup and compaction of the account, the
// Outlook import, timed shutdown, help, the maker's pages and the about box.
#include "main/Main.h"
#include "account/AccountSession.h"

#include "shared/AppGlobals.h"
#include "main/MakerLinks.h"
#include "transfer/OutlookImport.h"
#include "shared/Utility.h"
#include "shared/UtilityDb.h"
#include "main/about.h"
#include "account/dataModule.h"
#include "main/setdate.h"

#include "platform/ADODB.h"
#include "platform/AppPaths.h"
#include "platform/UiServices.h"

#include <QFileInfo>

namespace {

const QString Orvanta = QStringLiteral("Orvanta");

bool SameFile(const QString &a, const QString &b)
{
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

} // namespace

void Tfrmmain::BackupByHand()
{
    const QString folder = AppDir() + QStringLiteral("data/backup/");
    const QString suggested = Clock().Now().toString(QStringLiteral("yyyyMMdd")) + QFileInfo(account_.Path()).fileName();
    QString target = Dialogs().SaveFileNameWithoutPrompt(this, QStringLiteral("通讯录数据备份"), folder + suggested,
                                            QStringLiteral("通讯录数据文件(*.txl)"));
    if (target.isEmpty())
        return;
    if (FileExtLower(target) != QStringLiteral("txl"))
        target += QStringLiteral(".txl");
    if (QFileInfo::exists(target)
        && ShowMessage(QStringLiteral("文件已经存在覆盖吗？"), Orvanta, MsgIcon::Question, MsgButtons::YesNo, this)
               != MsgResult::Yes)
        return;
    // A live file copied byte by byte can catch a write half done; the engine's backup cannot.
    TADOConnection *connection = account_.Connection();
    const bool copied = connection && connection->Connected() && !SameFile(target, account_.Path())
                        && connection->BackupTo(target);
    if (!copied)
        ShowMessage(QStringLiteral("备份账户数据失败！"), Orvanta, MsgIcon::Warning, MsgButtons::OK, this);
}

void Tfrmmain::CompactAccount()
{
    if (account_.Path().isEmpty() || !CustomerData)
        return;
    // A file the program may not write cannot be compacted; say so once, and keep it open.
    if (CustomerData->dbConnection->Connected() && CustomerData->dbConnection->ReadOnly()) {
        ShowMessage(QStringLiteral("账户文件是只读的，不能压缩账户数据！"), Orvanta, MsgIcon::Warning, MsgButtons::OK, this);
        return;
    }
    CustomerData->dbConnection->Close();
    // A failed compaction leaves the account as it was; the user should still know.
    const bool compacted = CompactDatabase(account_.Path());
    ConnectAccount();
    if (!compacted)
        ShowMessage(QStringLiteral("压缩账户数据失败！"), Orvanta, MsgIcon::Warning, MsgButtons::OK, this);
}

void Tfrmmain::ImportOutlook()
{
    const QString path = Dialogs().OpenFileName(this, QStringLiteral("OutLook联系人"), AppDir(),
                                                QStringLiteral("Outlook数据文件(*.pst)"));
    if (path.isEmpty())
        return;
    const std::unique_ptr<IContactSource> source = CreatePstContactSource(path);
    ImportOutlookFrom(*source);
}

int Tfrmmain::ImportOutlookFrom(IContactSource &source)
{
    const int count = ImportContacts(ADOQuery1, source, Clock().Now());
    if (count < 0) {
        ShowMessage(QStringLiteral("导入失败，没有导入任何人脉记录。"), Orvanta, MsgIcon::Warning, MsgButtons::OK, this);
        return count;
    }
    if (count > 0 && browser_)
        browser_->LoadGroupTree();
    ShowMessage(ImportCountText(count), Orvanta, MsgIcon::Information, MsgButtons::OK, this);
    return count;
}

void Tfrmmain::SpTBXItem31Click()
{
    if (!frmsetdate_)
        frmsetdate_ = new Tfrmsetdate(this);
    if (!frmsetdate_->isVisible())
        CenterOnOwner(frmsetdate_, this);
    frmsetdate_->show();
    frmsetdate_->raise();
    frmsetdate_->activateWindow();
}

void Tfrmmain::SpTBXItem34Click()
{
    for (const char *name : {"帮助.chm", "help.chm"}) {
        const QString path = ResourcePath(QString::fromUtf8(name));
        if (!path.isEmpty()) {
            OpenFileIfExists(path);
            return;
        }
    }
    ShowMessage(QStringLiteral("文件已经不存在！"), Orvanta, MsgIcon::None, MsgButtons::OK, this);
}

void Tfrmmain::SpTBXItem36Click()
{
    OpenUrl(FeedbackUrl);
}

void Tfrmmain::SpTBXItem39Click()
{
    OpenUrl(HomePageUrl);
}

void Tfrmmain::SpTBXItem41Click()
{
    if (!frmabout_)
        frmabout_ = new Tfrmabout(this);
    frmabout_->exec();
}

void Tfrmmain::tonowdayClick()
{
    if (CalendarPageVisible())
        calendar_->GoToDate(Clock().Now().date());
}

Tfrmsetdate *Tfrmmain::TimedShutdownWindow() const
{
    return frmsetdate_;
}
