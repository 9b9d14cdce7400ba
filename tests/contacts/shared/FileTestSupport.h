#pragma once
// File helpers of the contact tests.
#include "platform/DbFiles.h"

#include <QtWidgets>
#include <gtest/gtest.h>

namespace filetest {

inline void WriteBytes(const QString &path, const QByteArray &bytes = "x")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// The file's bytes; a file that cannot be read fails the test.
inline QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

inline QStringList FilesIn(const QString &folder) { return QDir(folder).entryList(QDir::Files, QDir::Name); }

inline void Press(QWidget *target, int key, Qt::KeyboardModifiers modifiers = {}, const QString &text = {})
{
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, key, modifiers, text);
        QApplication::sendEvent(target, &event);
    }
}

struct HookGuard {
    explicit HookGuard(ReplaceFileFn hook) { SetReplaceFileHook(std::move(hook)); }
    ~HookGuard() { SetReplaceFileHook({}); }
};

} // namespace filetest
