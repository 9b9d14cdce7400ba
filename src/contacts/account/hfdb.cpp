#include "account/hfdb.h"
#include "shared/FormParts.h"
#include "account/AccountSession.h"

#include "shared/AppGlobals.h"
#include "account/dataModule.h"
#include "account/newdataform.h"

#include "platform/ADODB.h"
#include "platform/AppPaths.h"
#include "platform/DbFiles.h"
#include "platform/UiServices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <algorithm>

QPointer<Tfrmhfdb> frmhfdb;

namespace {

const QString Orvanta = QStringLiteral("Orvanta");

QString BackupFolder()
{
    return AppDir() + QStringLiteral("data/backup/");
}

} // namespace

QString NewestGoodBackup(const QString &account)
{
    const QString name = QFileInfo(account).fileName();
    static const QRegularExpression stamp(QStringLiteral("^[0-9]{8,10}$"));
    QFileInfoList candidates;
    QStringList seen;
    for (const QString &folder : {AppSettings().BackupDir, DefaultBackupDir()}) {
        const QString real = QFileInfo(folder).canonicalFilePath();
        if (real.isEmpty() || seen.contains(real))
            continue;
        seen << real;
        for (const QFileInfo &file : QDir(real).entryInfoList(QDir::Files)) {
            const QString fileName = file.fileName();
            if (fileName.size() > name.size() && fileName.endsWith(name) &&
                stamp.match(fileName.left(fileName.size() - name.size())).hasMatch())
                candidates << file;
        }
    }
    std::sort(candidates.begin(), candidates.end(), [](const QFileInfo &a, const QFileInfo &b) {
        return a.lastModified() > b.lastModified();
    });
    const QString self = QFileInfo(account).canonicalFilePath();
    for (const QFileInfo &file : candidates) {
        if (file.canonicalFilePath() != self && TADOConnection::CheckFile(file.filePath()) == TAccountFileState::Good)
            return file.filePath();
    }
    return {};
}

bool ReplaceWithCopy(const QString &source, const QString &target)
{
    if (target.isEmpty())
        return false;
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QString temp = CreateTempFileBeside(target, QStringLiteral("~hf"));
    if (temp.isEmpty())
        return false;
    QFile out(temp);
    bool ok = out.open(QIODevice::WriteOnly | QIODevice::Truncate);
    while (ok && !in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        ok = !chunk.isEmpty() && out.write(chunk) == chunk.size();
    }
    out.close();
    ok = ok && in.error() == QFileDevice::NoError && out.error() == QFileDevice::NoError && SyncFile(temp) &&
         ReplaceFile(temp, target);
    if (!ok)
        QFile::remove(temp);
    return ok;
}

void ShowRestoreDialog(QWidget *owner, const TAccountSession &account,
                       std::function<bool(const QString &backup)> restore)
{
    // A restore puts a backup in place of the open account; without one there is nothing to restore to.
    if (!account.IsOpen())
        return;
    if (!frmhfdb)
        frmhfdb = new Tfrmhfdb(account, owner);
    frmhfdb->OnRestore = std::move(restore);
    frmhfdb->exec();
}

Tfrmhfdb::Tfrmhfdb(const TAccountSession &account, QWidget *owner) : QDialog(owner), account_(account)
{
    setObjectName(QStringLiteral("frmhfdb"));
    setWindowTitle(QStringLiteral("恢复账户数据"));

    Label1 = new QLabel(QStringLiteral("将备份的帐户数据恢复到当前打开帐户。"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    Button1 = FormButton(QStringLiteral("恢复"), "Button1", this);
    Button2 = FormButton(QStringLiteral("恢复其它备份"), "Button2", this);
    Button3 = FormButton(QStringLiteral("取消"), "Button3", this);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Button2);
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button3);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ListBox1, 1);
    layout->addLayout(buttons);
    resize(420, 320);

    connect(Button1, &QPushButton::clicked, this, [this] { RestoreSelected(); });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { RestoreSelected(); });
    connect(Button2, &QPushButton::clicked, this, [this] { RestoreOther(); });
    connect(Button3, &QPushButton::clicked, this, &QDialog::reject);

    ListBackups();
}

void Tfrmhfdb::showEvent(QShowEvent *event)
{
    // Backups come and go while the program runs; the list must not be the one of last time.
    ListBackups();
    QDialog::showEvent(event);
}

void Tfrmhfdb::ListBackups()
{
    ListBox1->clear();
    ListBox1->addItems(Tfrmnewdataform::ListAccounts(BackupFolder()));
}

bool Tfrmhfdb::TestOpen(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    return TADOConnection::TestOpen(path);
}

Tfrmhfdb::TOutcome Tfrmhfdb::Restore(const QString &backup)
{
    if (!account_.IsOpen())
        return TOutcome::Refused;
    if (account_.IsAccountFile(backup)) {
        ShowMessage(QStringLiteral("该帐户数据已经打开!"), Orvanta, MsgIcon::Warning);
        return TOutcome::Refused;
    }
    if (!TestOpen(backup)) {
        ShowMessage(QStringLiteral("无法打开该帐户!"), Orvanta, MsgIcon::Warning);
        return TOutcome::Failed;
    }
    if (ShowMessage(QStringLiteral("软件将关闭当前账户并恢复备份，\n当前账户将被覆盖，继续吗？"), Orvanta,
                    MsgIcon::Question, MsgButtons::OKCancel) != MsgResult::OK)
        return TOutcome::Cancelled;
    return OnRestore && OnRestore(backup) ? TOutcome::Restored : TOutcome::Cancelled;
}

void Tfrmhfdb::RestoreSelected()
{
    QListWidgetItem *item = ListBox1->currentItem();
    if (!item)
        return;
    if (Restore(BackupFolder() + item->text() + QStringLiteral(".txl")) != TOutcome::Refused)
        accept();
}

void Tfrmhfdb::RestoreOther()
{
    const QString path =
        Dialogs().OpenFileName(this, QStringLiteral("选择Orvanta"), BackupFolder(), QStringLiteral("Orvanta(*.txl)"));
    if (path.isEmpty())
        return;
    if (Restore(path) == TOutcome::Restored)
        accept();
}
