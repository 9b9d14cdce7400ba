#pragma once
// The files the import and export benchmarks read, made once per program run from a generated
// account, so every program measures the same data.
#include <QString>
#include <QStringList>

// A path in this run's own scratch folder, removed when the program ends.
QString WorkPath(const QString &name);

// The field captions of a fresh installation, as the CSV import and export map them.
QStringList Captions();

// One generated account per size, the source of every file below.
const QString &SourceAccount(int contacts);

// Every contact of the source account as one vCard file.
QString VCardFile(int contacts);

// Every contact of the source account as the CSV export writes it.
QString CsvFile(int contacts);
