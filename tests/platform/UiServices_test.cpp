#include "platform/UiServices.h"
#include "InputSim.h"
#include "TestSupport.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

TEST(UiServices, AMessageBoxIsWideEnoughForItsCaption)
{
    const QString caption = QStringLiteral("定时关机设置已经保存，到时间后系统将自动关闭计算机");
    QMessageBox box;
    box.setWindowTitle(caption);
    box.setText(QStringLiteral("好"));
    FitMessageBoxToCaption(box);
    box.show();
    EXPECT_GT(box.width(), box.fontMetrics().horizontalAdvance(caption));
}

TEST(UiServices, WindowsOpenCentredOnTheirOwner)
{
    QWidget owner;
    owner.setGeometry(100, 80, 600, 400);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    // The expected top left of a 200 × 100 window; null: centred on the owner's frame.
    const struct { const char *name; bool ownerShown; QPoint ownerAt, expected; } cases[] = {
        {"shown owner", true, {100, 80}, {}},
        {"hidden owner", false, {100, 80}, {area.left() + (area.width() - 200) / 2, area.top() + (area.height() - 100) / 2}},
        {"owner past the edge", true, {area.right() - 50, area.bottom() - 20},
         {area.left() + area.width() - 200, area.top() + area.height() - 100}},
    };
    for (const auto &c : cases) {
        owner.move(c.ownerAt);
        owner.setVisible(c.ownerShown);
        QWidget window(&owner, Qt::Window);
        window.resize(200, 100);
        CenterOnOwner(&window, &owner);
        const QRect frame = owner.frameGeometry();
        const QPoint expected = c.expected.isNull()
                                    ? QPoint(frame.left() + (frame.width() - 200) / 2, frame.top() + (frame.height() - 100) / 2)
                                    : c.expected;
        EXPECT_EQ(window.pos(), expected) << c.name;
    }
}

// A name such as <img src="/dev/zero"> in a question must be shown as the characters it is:
// read as rich text it makes the box load the file.
TEST(UiServices, MessageBoxesShowTextAsPlainText)
{
    SetDialogs(nullptr);
    Qt::TextFormat format = Qt::AutoText;
    QString shown;
    QTimer::singleShot(0, [&] {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<QMessageBox *>(window); box && box->isVisible()) {
                format = box->textFormat();
                shown = box->text();
                box->done(QMessageBox::No);
            }
        }
    });
    const QString name = QStringLiteral("确认删除 <b>粗</b><img src=\"/nonexistent.png\">");
    ShowMessage(name, QStringLiteral("Orvanta"), MsgIcon::Question, MsgButtons::YesNo);
    SetDialogs(&TestDialogs());
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(shown, name);
}

namespace {

// Records what it is asked to open without parameters; parameters are the base's business.
struct TargetShell final : IShell {
    QStringList opened;
    using IShell::Open;
    bool Open(const QString &target) override { return opened << target, true; }
};

} // namespace

TEST(UiServices, ParametersGoOnlyToAProgramFileEverythingElseOpensWithout)
{
    const QString dir = MakeTempDir(QStringLiteral("shell-parameters"));
    const QString document = dir + QStringLiteral("/说明.txt"), program = dir + QStringLiteral("/args.sh");
    const QString written = dir + QStringLiteral("/args.txt");
    QFile(document).open(QIODevice::WriteOnly);
    QFile script(program);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\nprintf '%s|' \"$@\" > '%1.part' && mv '%1.part' '%1'\n").arg(written).toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    TargetShell shell;
    IShell &base = shell;
    for (const QString &target : {QStringLiteral("https://example.org/"), document, program}) {
        shell.opened.clear();
        EXPECT_TRUE(base.Open(target, target == program ? QStringLiteral(" ") : QStringLiteral("-p")));
        EXPECT_EQ(shell.opened, QStringList{target}) << "opened without parameters";
    }
    // A program file is started with them, split as a command line splits them.
    shell.opened.clear();
    EXPECT_TRUE(base.Open(program, QStringLiteral("one \"two words\"")));
    EXPECT_TRUE(shell.opened.isEmpty());
    sim::WaitFor([&] { return QFile::exists(written); }, 5000);
    QFile result(written);
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(result.readAll()), QStringLiteral("one|two words|"));
}
