// The import and export commands of the main window's 文件 menu.
#include "main/Main.h"

#include "shared/AppGlobals.h"
#include "transfer/ContactTransfer.h"
#include "shared/Utility.h"
#include "account/dataModule.h"
#include "transfer/export.h"
#include "transfer/inputcsv.h"

#include "platform/ADODB.h"
#include "platform/UiServices.h"

#include <QFile>
#include <QFileInfo>
#include <memory>
#include <vector>

namespace {

const QString Orvanta = QStringLiteral("Orvanta");

TADOConnection *AccountConnection()
{
    TADOConnection *connection = CustomerData ? CustomerData->dbConnection : nullptr;
    return connection && connection->Connected() ? connection : nullptr;
}

} // namespace

void Tfrmmain::SpTBXItem5Click()
{
    TADOConnection *connection = AccountConnection();
    if (!connection)
        return;
    Tfrminputcsv wizard(connection, this);
    wizard.OnImported = [this] {
        if (browser_)
            browser_->LoadGroupTree();
    };
    wizard.exec();
}

void Tfrmmain::SpTBXItem6Click()
{
    const QStringList files = Dialogs().OpenFileNames(this, QString(), QString(), QStringLiteral("名片(*.vcf)"));
    if (!files.isEmpty())
        ImportVCard(files);
}

void Tfrmmain::ImportVCard(const QStringList &fileNames)
{
    TADOConnection *connection = AccountConnection();
    if (!connection)
        return;
    // Every file must be there before anything is added.
    std::vector<std::unique_ptr<QFile>> files;
    for (const QString &fileName : fileNames) {
        auto file = std::make_unique<QFile>(fileName);
        if (!QFileInfo(fileName).isFile() || !file->open(QIODevice::ReadOnly)) {
            ShowMessage(QStringLiteral("文件不存在！"), Orvanta, MsgIcon::Warning, MsgButtons::OK, this);
            return;
        }
        files.push_back(std::move(file));
    }
    // Each card is added as it is read; only one file's bytes are held at a time.
    TVCardLeftOut leftOut;
    const TImportResult result = [&] {
        TContactImport import(connection, Clock().Now());
        for (const std::unique_ptr<QFile> &file : files) {
            const QByteArray bytes = file->readAll();
            // Only part of a file: the cards read so far are abandoned with the import.
            if (file->error() != QFileDevice::NoError) {
                TImportResult failed;
                failed.Error = QStringLiteral("文件读取出错，没有读完。");
                return failed;
            }
            leftOut += ReadVCards(bytes, [&](const TContactRecord &card) { import.Add(card); });
        }
        return import.Finish();
    }();
    if (!result.Ok) {
        ShowMessage(QStringLiteral("导入失败，没有导入任何人脉记录。\n") + result.Error, Orvanta, MsgIcon::Warning,
                    MsgButtons::OK, this);
        return;
    }
    if (result.Imported > 0 && browser_)
        browser_->LoadGroupTree();
    leftOut.Unkept += result.Unkept;
    ShowMessage(VCardImportMessage(result.Imported, leftOut), Orvanta, MsgIcon::Information, MsgButtons::OK, this);
}

void Tfrmmain::ExportCsv()
{
    TADOConnection *connection = AccountConnection();
    if (!connection)
        return;
    QString path =
        Dialogs().SaveFileNameWithoutPrompt(this, QStringLiteral("保存"), QString(), QStringLiteral("Orvanta(*.csv)"));
    if (path.isEmpty())
        return;
    if (FileExtLower(path) != QLatin1String("csv"))
        path += QStringLiteral(".csv");
    if (QFileInfo::exists(path) &&
        ShowMessage(QStringLiteral("文件已经存在，确认覆盖吗？"), Orvanta, MsgIcon::Question, MsgButtons::YesNo, this) !=
            MsgResult::Yes)
        return;
    const TExportResult result = ExportContactsCsv(connection, path, FieldCaptions);
    if (!result.Ok)
        ShowMessage(QStringLiteral("无法写入文件 %1\n%2").arg(path, result.Error), Orvanta, MsgIcon::Warning,
                    MsgButtons::OK, this);
}

void Tfrmmain::SpTBXItem10Click()
{
    TADOConnection *connection = AccountConnection();
    if (!connection)
        return;
    Tfrmexport wizard(connection, this);
    wizard.SelectedNode = [this]() -> std::optional<TGroupTreeNode> {
        if (const auto *selection = dynamic_cast<const IGroupTreeSelection *>(browser_))
            return selection->SelectedGroupTreeNode();
        return std::nullopt;
    };
    wizard.exec();
}
