#include "contacts/shared/Utility.h"

#include "TestSupport.h"
#include "platform/AppPaths.h"
#include "platform/Registry.h"
#include "shared/FileTestSupport.h"

#include <QtWidgets>
#include <gtest/gtest.h>

using namespace filetest;

TEST(Utility, PinyinInitialsOfNames)
{
    struct Case { const char *text; const char *initials; };
    const Case cases[] = {
        {"张三", "ZS"}, {"张三Li", "ZS"}, {"Li张", ""}, {"3号张", ""}, {"", ""}, {"   ", ""}, {"  张三\t", "ZS"},
        {"张 三", "Z"},             // the blank is a one-byte character and ends the initials
        {"，", "?"},               // full-width punctuation, zone 3
        {"盤", "?"}, {"丂", "?"},  // GBK extensions B150 (a hanzi lead byte, trail below 0xA1) and 8140
        {"张盤三", "Z?S"}, {"张😀三", "Z?S"},  // beyond GBK: one unknown initial, the walk goes on
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(PinyinInitials(QString::fromUtf8(c.text)), QString::fromUtf8(c.initials));
    }
}

TEST(Utility, PinyinInitialOfOneCharacter)
{
    // Last and first character of neighbouring first-level ranges, then second-level samples.
    const QString chars = QStringLiteral("啊澳芭怖擦错搭堕蛾贰发咐噶过哈祸击骏喀阔垃络妈穆拿诺哦沤啪瀑期群然弱撒所塌唾挖误昔迅压孕匝坐座"
                                         "丌兀芤猹妗肴馥斛鼾");
    const QString initials = "AABBCCDDEEFFGGHHJJKKLLMMNNOOPPQQRRSSTTWWXXYYZZZJWKCJYFHH";
    ASSERT_EQ(chars.size(), initials.size());
    for (qsizetype i = 0; i < chars.size(); ++i)
        EXPECT_EQ(PinyinInitial(chars.mid(i, 1)), initials.mid(i, 1)) << chars.mid(i, 1).toStdString();
    // One byte comes back as it is; é is in GBK, but no hanzi; 0xD800 is a lone surrogate.
    const struct { QString ch; const char *initial; } odd[] = {
        {"a", "a"}, {"7", "7"}, {QString(), "?"}, {"ab", "?"},
        {"é", "?"}, {"😀", "?"}, {QString(QChar(0xD800)), "?"}};
    for (const auto &c : odd)
        EXPECT_EQ(PinyinInitial(c.ch), QString::fromUtf8(c.initial)) << c.ch.toStdString();
}

// Each sign from its first day; the day before belongs to the sign before.
TEST(Utility, ZodiacSignAtEveryBoundary)
{
    const struct { int month, day; const char *sign; } starts[] = {
        {1, 20, "水瓶座"},  {2, 19, "双鱼座"},  {3, 21, "白羊座"}, {4, 20, "金牛座"},
        {5, 21, "双子座"},  {6, 22, "巨蟹座"},  {7, 23, "狮子座"}, {8, 23, "处女座"},
        {9, 23, "天秤座"},  {10, 24, "天蝎座"}, {11, 22, "射手座"}, {12, 22, "摩羯座"}};
    const char *before = "摩羯座";
    for (const auto &c : starts) {
        const QDate first(2024, c.month, c.day);
        EXPECT_EQ(ZodiacSign(first), QString::fromUtf8(c.sign)) << c.month << "/" << c.day;
        EXPECT_EQ(ZodiacSign(first.addDays(-1)), QString::fromUtf8(before)) << c.month << "/" << c.day;
        before = c.sign;
    }
    EXPECT_EQ(ZodiacSign(QDate(2024, 1, 1)), "摩羯座");
    EXPECT_EQ(ZodiacSign(QDate(2024, 12, 31)), "摩羯座");
    EXPECT_EQ(ZodiacSign(QDate()), "");
}

TEST(Utility, ReplaceString)
{
    struct Case { const char *text, *oldText, *newText; bool caseSensitive; const char *expected; };
    const Case cases[] = {
        {"aXbxc", "x", "-", true, "aXb-c"}, {"aXbxc", "x", "-", false, "a-b-c"}, {"ABab", "ab", "z", false, "zz"},
        {"ABab", "ab", "z", true, "ABz"},   {"aaaa", "aa", "b", true, "bb"},     {"aaa", "aa", "b", true, "ba"},
        {"aaa", "a", "aa", true, "aaaaaa"},  // inserted text is not scanned again
        {"abc", "", "z", true, "abc"},      {"abc", "b", "", true, "ac"},        {"", "a", "b", true, ""},
        {"张三张", "张", "李", true, "李三李"}, {"Name,NAME,name", "name", "uname", false, "uname,uname,uname"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReplaceString(QString::fromUtf8(c.text), QString::fromUtf8(c.oldText), QString::fromUtf8(c.newText),
                                c.caseSensitive),
                  QString::fromUtf8(c.expected));
    }
}

TEST(Utility, FileNameParts)
{
    struct Case { const char *path, *folder, *name, *ext; };
    const Case cases[] = {
        {"/home/u/data/张三.txl", "/home/u/data/", "张三.txl", "txl"},
        {"C:\\Orvanta\\data\\P.JPG", "C:\\Orvanta\\data\\", "P.JPG", "jpg"},
        {"C:a.txl", "C:", "a.txl", "txl"},      {"/tmp/12:30.txl", "/tmp/", "12:30.txl", "txl"},
        {"a.tar.GZ", "", "a.tar.GZ", "gz"},    {"README", "", "README", ""},
        {"/a.b/README", "/a.b/", "README", ""}, {"C:\\d.ir\\file", "C:\\d.ir\\", "file", ""},
        {"/x/folder/", "/x/folder/", "", ""},   {"", "", "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        const QString path = QString::fromUtf8(c.path);
        EXPECT_EQ(GetFilePath(path), QString::fromUtf8(c.folder));
        EXPECT_EQ(TrimmedFileName(path), QString::fromUtf8(c.name));
        EXPECT_EQ(FileExtLower(path), QString::fromUtf8(c.ext));
    }
    EXPECT_EQ(TrimmedFileName("  /data/a.txl \t"), "a.txl");
    EXPECT_EQ(TrimmedFileName("   "), "");
    EXPECT_EQ(GetFilePath("program"), QFileInfo(ProgramPath()).absolutePath() + '/');
    EXPECT_EQ(GetWindowsDir(), "");
}

TEST(Utility, DeleteDirectoryTreeRemovesHiddenEntriesButNothingOutsideOrRefused)
{
    const QString base = MakeTempDir("deltree");
    const QString outside = base + "/outside";
    const QString tree = base + "/tree";
    for (const QString &folder : {outside, tree + "/sub/deeper", tree + "/.hiddendir"})
        ASSERT_TRUE(QDir().mkpath(folder));
    for (const QString &file : {outside + "/keep.txt", base + "/keepfile.txt", tree + "/a.txt", tree + "/.hidden",
                                tree + "/.hiddendir/x", tree + "/sub/deeper/..odd", tree + "/sub/deeper/b"})
        WriteBytes(file, "keep");
    ASSERT_TRUE(QFile::link(outside, tree + "/linkdir"));
    ASSERT_TRUE(QFile::link(base + "/keepfile.txt", tree + "/sub/linkfile"));
    ASSERT_TRUE(QFile::link("/nonexistent-target", tree + "/dangling"));
    // Blank paths, plain files and missing folders are refused.
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(base));
    for (const QString &refused : {QString(), QStringLiteral("  "), QStringLiteral("keepfile.txt"), base + "/missing"})
        DeleteDirectoryTree(refused);
    ASSERT_TRUE(QDir::setCurrent(previous));
    EXPECT_EQ(ReadBytes(base + "/keepfile.txt"), "keep");
    EXPECT_TRUE(QFileInfo::exists(tree + "/a.txt"));
    // A link given as the tree (with a trailing slash) goes alone; its target stays.
    ASSERT_TRUE(QFile::link(outside, base + "/temp"));
    DeleteDirectoryTree(base + "/temp/");
    EXPECT_FALSE(QFileInfo(base + "/temp").isSymLink());
    EXPECT_EQ(ReadBytes(outside + "/keep.txt"), "keep");
    DeleteDirectoryTree(tree);
    EXPECT_FALSE(QFileInfo(tree).exists());
    EXPECT_FALSE(QFileInfo(tree).isSymLink());
    EXPECT_EQ(ReadBytes(outside + "/keep.txt"), "keep");
    EXPECT_EQ(ReadBytes(base + "/keepfile.txt"), "keep");
}

TEST(Utility, ShellRoutinesGoThroughTheShellService)
{
    const QString dir = MakeTempDir("shell");
    const QString file = dir + "/card.htm";
    WriteBytes(file);
    RecordingShell &shell = TestShell();
    EXPECT_FALSE(OpenFileIfExists(dir + "/missing.htm"));
    EXPECT_FALSE(OpenFileIfExists(dir));  // a folder is not a file
    EXPECT_TRUE(shell.opened.isEmpty());
    EXPECT_TRUE(OpenFileIfExists(file));
    shell.result = false;
    EXPECT_FALSE(OpenFileIfExists(file));
    EXPECT_FALSE(ShellOpen("mailto:a@b.c?body=x"));
    shell.result = true;
    EXPECT_TRUE(ShellOpen(""));  // no existence test: the shell decides
    OpenUrl("   ");
    OpenUrl(" http://example.com/ ");
    EXPECT_EQ(shell.opened, QStringList({file, file, "mailto:a@b.c?body=x", "", "http://example.com/"}));
}

TEST(Utility, WriteTextFileReplacesContentAndReportsFailure)
{
    const QString dir = MakeTempDir("write");
    const QString file = dir + "/a.htm";
    ASSERT_TRUE(WriteTextFile(file, "<table>张三</table> and a long tail"));
    ASSERT_TRUE(WriteTextFile(file, "<p>短</p>"));
    EXPECT_EQ(ReadBytes(file), QStringLiteral("<p>短</p>\n").toUtf8());
    EXPECT_FALSE(WriteTextFile(dir + "/missing/a.htm", "x"));
    EXPECT_FALSE(QFileInfo::exists(dir + "/missing"));
}

TEST(Utility, AverageCharWidthIsTheMeanLetterAdvance)
{
    QFont mono("DejaVu Sans Mono");
    mono.setPixelSize(13);
    ASSERT_TRUE(QFontInfo(mono).fixedPitch()) << "no fixed-pitch font installed";
    // Advances are fractional; the mean of 52 equal ones lies within a pixel of one.
    EXPECT_NEAR(AverageCharWidth(mono), QFontMetricsF(mono).horizontalAdvance(QLatin1Char('M')), 1.0);
    EXPECT_EQ(AverageCharWidth(QFontMetrics(mono)), AverageCharWidth(mono));
    QFont proportional("DejaVu Sans");
    proportional.setPixelSize(13);
    const QFontMetrics metrics(proportional);
    EXPECT_GT(AverageCharWidth(proportional), metrics.horizontalAdvance('i'));
    EXPECT_LT(AverageCharWidth(proportional), metrics.horizontalAdvance('W'));
}

TEST(Utility, ClearInputControlsEmptiesInputsOnly)
{
    QWidget form;
    auto *outerEdit = new QLineEdit("outer", &form);
    auto *pages = new QTabWidget(&form);
    auto *page = new QWidget;
    pages->addTab(page, "基本信息");
    auto *group = new QGroupBox("联系方式", page);
    auto *edit = new QLineEdit("张三", group);
    auto *rich = new QTextEdit("<b>note</b>", page);
    auto *plain = new QPlainTextEdit("memo", page);
    auto *editable = new QComboBox(page);
    editable->setEditable(true);
    editable->addItems({"先生", "女士"});
    editable->setCurrentIndex(1);
    editable->setEditText("自填");
    auto *fixed = new QComboBox(page);
    fixed->addItems({"一级", "二级"});
    fixed->setCurrentIndex(1);
    auto *list = new QListWidget(group);
    list->addItems({"a", "b"});
    list->setCurrentRow(1);
    auto *check = new QCheckBox("提醒", group);
    check->setChecked(true);
    auto *radio = new QRadioButton("男", page);
    radio->setChecked(true);
    auto *label = new QLabel("自定义", page);
    ClearInputControls(pages);
    EXPECT_EQ(outerEdit->text(), "outer");  // outside the cleared control
    EXPECT_EQ(edit->text(), "");
    EXPECT_TRUE(rich->toPlainText().isEmpty());
    EXPECT_TRUE(plain->toPlainText().isEmpty());
    EXPECT_EQ(editable->currentText(), "");
    EXPECT_EQ(editable->count(), 2);
    EXPECT_EQ(fixed->currentIndex(), -1);
    EXPECT_EQ(fixed->count(), 2);
    EXPECT_EQ(list->currentRow(), -1);
    EXPECT_EQ(list->count(), 2);
    EXPECT_FALSE(check->isChecked());
    // Not inputs of this kind: field labels and radio buttons stay.
    EXPECT_TRUE(radio->isChecked());
    EXPECT_EQ(label->text(), "自定义");
    EXPECT_EQ(group->title(), "联系方式");
    ClearInputControls(&form);
    EXPECT_EQ(outerEdit->text(), "");
    ClearInputControls(nullptr);
}

TEST(Utility, RegistryRootsAndDefaultKey)
{
    const char *const roots[] = {"", "classes", "user", "machine", "users", "config"};
    for (int root = 5; root >= 1; --root)
        ASSERT_TRUE(RegWriteString(root, "SOFTWARE\\orvroots", "v", roots[root]));
    for (int root = 1; root <= 5; ++root)
        EXPECT_EQ(RegReadString(root, "SOFTWARE\\orvroots", "v"), roots[root]) << root;
    EXPECT_EQ(RegReadString(9, "SOFTWARE\\orvroots", "v"), "user");  // unknown numbers keep the default root
    ASSERT_TRUE(RegWriteString(2, "", "orvanta", "/opt/orvanta/bin/orvanta"));
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths", false));
    EXPECT_EQ(reg.ReadString("orvanta"), "/opt/orvanta/bin/orvanta");
    EXPECT_TRUE(RegRemoveValue(3, "SOFTWARE\\orvroots", "v"));
    EXPECT_TRUE(RegRemoveValue(3, "SOFTWARE\\orvroots", "v"));  // already gone
    EXPECT_EQ(RegReadString(2, "SOFTWARE\\orvroots", "v"), "user");
    TRegistry machine;
    machine.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(machine.OpenKey("SOFTWARE\\orvroots", false));
    EXPECT_FALSE(machine.ValueExists("v"));
}

TEST(Utility, RegistryReportsAKeyThatCannotBeOpened)
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/dev/null/config");
    const QString read = RegReadString(2, "SOFTWARE\\orvmain", "AUTO");
    const bool written = RegWriteString(2, "SOFTWARE\\orvmain", "AUTO", "1");
    const bool removed = RegRemoveValue(2, "SOFTWARE\\orvmain", "AUTO");
    qputenv("XDG_CONFIG_HOME", saved);
    EXPECT_EQ(read, "");
    EXPECT_FALSE(written);
    EXPECT_FALSE(removed);
}
