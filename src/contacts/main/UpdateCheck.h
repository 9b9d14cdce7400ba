#pragma once
#include <QByteArray>
#include <QUrl>

class QObject;

// The version number a version file gives: its digits "0".."9" in order, as one number;
// 0 when there are none or they do not fit.
int VersionFromText(const QByteArray &text);

// Fetches the version file in the background and, when it names a version above the built-in
// one, asks whether to open the home page. Every failure is silent. The reply is taken on the
// GUI thread's event loop, so the question is asked from the GUI thread; nothing happens once
// `context` is gone.
void UpdateCheckThread(const QUrl &versionFile, QObject *context);
