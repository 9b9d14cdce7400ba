#pragma once
#include <QString>

// The maker's addresses, kept together so a new web home means one edit. The version file is
// plain text whose digits form the version number ("1.07" is 107).
inline const QString MakerName = QStringLiteral("Orvanta 开发组");
inline const QString HomePageUrl = QStringLiteral("https://orvanta.example.org/");
inline const QString ProductPageUrl = QStringLiteral("https://orvanta.example.org/orvanta/");
inline const QString FeedbackUrl = QStringLiteral("https://orvanta.example.org/feedback/");
inline const QString VersionFileUrl = QStringLiteral("https://orvanta.example.org/orvanta/version.txt");

// The version this program is; a version file above it offers the update.
constexpr int BuiltInVersion = 106;
inline const QString VersionText = QStringLiteral("版本号：V1.06");
