#include "TransferFiles.h"

#include "AccountGenerator.h"
#include "contacts/shared/AppGlobals.h"
#include "contacts/transfer/ContactTransfer.h"
#include "contacts/transfer/VCardFormat.h"
#include "platform/ADODB.h"
#include "platform/IniFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>

QString WorkPath(const QString &name)
{
    static QTemporaryDir workDir;
    return workDir.path() + '/' + name;
}

QStringList Captions()
{
    static const QStringList captions = BuildFieldCaptions(TIniFile(WorkPath(QStringLiteral("none.ini"))));
    return captions;
}

const QString &SourceAccount(int contacts)
{
    static QMap<int, QString> made;
    if (!made.contains(contacts)) {
        const QString path = WorkPath(QStringLiteral("source-%1.txl").arg(contacts));
        AccountShape shape;
        shape.contacts = contacts;
        GenerateAccount(path, shape);
        made.insert(contacts, path);
    }
    return made[contacts];
}

QString VCardFile(int contacts)
{
    const QString path = WorkPath(QStringLiteral("cards-%1.vcf").arg(contacts));
    if (QFileInfo::exists(path))
        return path;
    TADOConnection connection;
    connection.Open(SourceAccount(contacts));
    // Written card by card, so a large account's cards are never all held at once.
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        for (const TContactRecord &contact : ReadExportContacts(&connection, {}))
            file.write(VCardBytes(contact));
    }
    return path;
}

QString CsvFile(int contacts)
{
    const QString path = WorkPath(QStringLiteral("contacts-%1.csv").arg(contacts));
    if (!QFileInfo::exists(path)) {
        TADOConnection connection;
        connection.Open(SourceAccount(contacts));
        ExportContactsCsv(&connection, path, Captions());
    }
    return path;
}
