#include "browser/BrowserTestSupport.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFontMetrics>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

namespace {

using BrowserCard = BrowserTest;

int Count(const QString &text, const QString &part) { return int(text.count(part)); }

TEST(MarkupLinks, AddressesBecomeLinks)
{
    const struct { const char *text; const char *marked; } cases[] = {
        {"", ""}, {"@", "@"}, {"x@ y", "x@ y"}, {"电话 13800000000", "电话 13800000000"},
        {"a@b.com", R"(<A Href="mailto:a@b.com">a@b.com</A>)"},
        {"john.smith@x.com", R"(<A Href="mailto:john.smith@x.com">john.smith@x.com</A>)"},
        {"a+b-c@mail.x-y.cn.", R"(<A Href="mailto:a+b-c@mail.x-y.cn">a+b-c@mail.x-y.cn</A>.)"},
        {"HTTP://WWW.X.COM", R"(<A Href="http://WWW.X.COM" target=_blank>http://WWW.X.COM</A> )"},
        {"见 http://a.cn/b", R"(见 <A Href="http://a.cn" target=_blank>http://a.cn</A> /b)"},
        {"ftp://f.x", R"(<A Href="ftp://f.x" target=_blank>ftp://f.x</A> )"},
        {"http://www.example-company.com.cn",
         R"(<A Href="http://www.example-company.com.cn" target=_blank>http://www.example-company.com.cn</A> )"},
        {"mail a@b.cn, web http://w.cn",
         R"(mail <A Href="mailto:a@b.cn">a@b.cn</A>, web <A Href="http://w.cn" target=_blank>http://w.cn</A> )"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MarkupLinks(QString::fromUtf8(c.text)), QString::fromUtf8(c.marked)) << c.text;
}

TEST(ContactCardHtml, TwoPairsARowEachRowClosed)
{
    QStringList captions, values;
    for (int i = 0; i < 19; ++i) {
        captions << QStringLiteral("c%1").arg(i);
        values << QStringLiteral("v%1").arg(i);
    }
    const QString odd = ContactCardHtml(captions, values);
    EXPECT_EQ(std::pair(Count(odd, "<tr>"), Count(odd, "</tr>")), std::pair(10, 10));
    EXPECT_EQ(Count(odd, "<td class=\"t1\" width=\"100\">"), 19);
    EXPECT_TRUE(odd.contains("c18:</td>") && odd.endsWith("v18</td></tr></table>"));
    const QString empty = ContactCardHtml({}, {});
    EXPECT_TRUE(Count(empty, "<tr>") == 0 && empty.endsWith("bgcolor=\"#EEEEEE\"></table>"));
    // Values and captions are shown literally.
    const QString html = ContactCardHtml({"<b>名</b>"}, {"<i>x</i> & y a@b.com"});
    EXPECT_TRUE(html.contains("&lt;b&gt;名&lt;/b&gt;:</td>"));
    EXPECT_TRUE(html.contains("&lt;i&gt;x&lt;/i&gt; &amp; y <A Href=\"mailto:a@b.com\">a@b.com</A></td>"));
    EXPECT_FALSE(html.contains("<i>"));
}

// A long unbroken token takes seconds to lay out: the card shows the first 2,000 characters.
TEST(ContactCardHtml, LongValuesAreCutAfterTwoThousandCharacters)
{
    const QString emoji = QStringLiteral("\U0001F600");
    const struct { QString value; QString shown; } cases[] = {
        {QString(2000, 'a'), QString(2000, 'a')},
        {QString(2001, 'a'), QString(2000, 'a') + QChar(0x2026)},
        {QString(200000, 'b'), QString(2000, 'b') + QChar(0x2026)},
        // A character of two halves is never split.
        {QString(1999, 'c') + emoji + "d", QString(1999, 'c') + QChar(0x2026)},
    };
    for (const auto &c : cases) {
        const QString html = ContactCardHtml({"备注"}, {c.value});
        EXPECT_TRUE(html.contains(">" + c.shown + "</td>")) << c.value.size();
        EXPECT_FALSE(html.contains(c.shown + QString(1, c.value.back()) + "</td>")) << c.value.size();
    }
}

TEST_F(BrowserCard, ShowsTheChosenFieldsOfTheContactAndSendsLinksToTheShell)
{
    const qint64 key = Contact("张三", 0, 1, {{"uemail", "zs@x.com"}, {"ufz", "<script>alert(1)</script>"},
                                            {"uqq", "12345"}, {"uzw", "经理"}});
    Page().ShowContactCard(QString::number(key));
    EXPECT_EQ(Page().CardKeyid(), QString::number(key));
    const QString html = Page().CardHtml();
    EXPECT_EQ(Count(html, "<tr>"), 10);  // the 20 default fields
    for (const char *part : {"姓名:</td>", ">张三</td>", "mailto:zs@x.com", "&lt;script&gt;"})
        EXPECT_TRUE(html.contains(QString::fromUtf8(part))) << part;
    // The browser shows the text, not the markup.
    EXPECT_TRUE(Page().WebBrowser1->toPlainText().contains("张三"));
    emit Page().WebBrowser1->anchorClicked(QUrl("mailto:zs@x.com"));
    EXPECT_EQ(TestShell().opened, QStringList({"mailto:zs@x.com"}));
    // The field chooser's choice is stored; cancelling it keeps the choice.
    ModalResponder responder;
    responder.Then(CheckOnly({"uqq"}));
    Page().Button1Click();
    EXPECT_EQ(responder.Unexpected(), 0);
    EXPECT_EQ(Page().CardFields(), QStringList({"uqq"}));
    EXPECT_TRUE(Count(Page().CardHtml(), "<tr>") == 1 && Page().CardHtml().contains("12345"));
    const QString stored = DesDecryptString(TIniFile(ConfigIniPath()).ReadString("SYS", "FIELDS", ""), DesKey);
    EXPECT_EQ(KnownFieldList(stored), QStringList({"uqq"}));
    responder.Then([](QDialog *dialog) { static_cast<Tfrmselfields *>(dialog)->BitBtn2->click(); });
    Page().Button1Click();
    EXPECT_EQ(Page().CardFields(), QStringList({"uqq"}));
    // A foreign row shows the labels only.
    const qint64 foreign = Contact("外来", 0, 1, {{"kzfield2", "x"}});
    Page().ShowContactCard(QString::number(foreign));
    EXPECT_EQ(Page().CardKeyid(), QString::number(foreign));
    EXPECT_TRUE(Page().CardHtml().contains("QQ/MSN等:</td>") && !Page().CardHtml().contains("外来"));
    // A missing contact gives an empty card, with nothing to edit.
    Page().ShowContactCard("4242");
    EXPECT_TRUE(Page().CardKeyid().isEmpty());
    EXPECT_EQ(Count(Page().CardHtml(), "<tr>"), 0);
    Page().Button2Click();
    // Stored fields are checked against the known ones; nothing known falls back to the defaults.
    page.reset();
    TIniFile(ConfigIniPath()).WriteString("SYS", "FIELDS", DesEncryptString("uzw,mypic,1;drop", DesKey).Text);
    EXPECT_EQ(Page().CardFields(), QStringList({"uzw"}));
    Page().ShowContactCard(QString::number(key));
    EXPECT_TRUE(Page().CardHtml().contains("经理"));
    page.reset();
    TIniFile(ConfigIniPath()).WriteString("SYS", "FIELDS", DesEncryptString("mypic", DesKey).Text);
    EXPECT_EQ(Page().CardFields(), DefaultCardFields.split(','));
}

// Values cut to a narrow cell: the shown text is the value's start and an ellipsis, entities and
// characters of two halves are never split, a cut link keeps its whole address and is closed.
TEST(ContactCardHtml, LongValuesAreCutToTheirCell)
{
    const TCardLayout layout = CardLayout(480, QFont(QStringLiteral("Noto Sans CJK SC"), 9));
    const QString emoji = QStringLiteral("\U0001F600");
    const QString address = "someone.with.a.very.long.name@example-company.com.cn";
    const struct { QString value; bool cut; QString href; } cases[] = {
        {"abc", false, {}},
        {"x@y.cn", false, "mailto:x@y.cn"},
        {QString("a&b<c>\"").repeated(40), true, {}},
        {emoji.repeated(200), true, {}},
        {"x@y.cn " + QString(200, 'q'), true, "mailto:x@y.cn"},
        {address, true, "mailto:" + address},
        {"见 http://www.example.com.cn" + QString(100, 'z'), true, "http://www.example.com.cn" + QString(100, 'z')},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.value.left(20).toStdString());
        const QString html = ContactCardHtml({"备注"}, {c.value}, layout);
        const qsizetype start = html.indexOf("class=\"t2\" width=\"");
        ASSERT_GE(start, 0);
        const QString cell = html.mid(html.indexOf('>', start) + 1).chopped(QString("</td></tr></table>").size());
        QTextDocument document;
        document.setHtml(cell);
        QString shown = document.toPlainText();
        EXPECT_EQ(shown.endsWith(QChar(0x2026)), c.cut);
        if (c.cut)
            shown.chop(1);
        EXPECT_TRUE(c.value.startsWith(shown)) << shown.toStdString();
        EXPECT_FALSE(!shown.isEmpty() && shown.back().isHighSurrogate());
        EXPECT_EQ(cell.count("<A "), cell.count("</A>"));
        if (!c.href.isEmpty()) {
            EXPECT_TRUE(cell.contains("Href=\"" + c.href + "\"")) << cell.toStdString();
        }
        EXPECT_LE(QFontMetrics(layout.valueFont).horizontalAdvance(document.toPlainText()), layout.valueWidth - 12);
    }
}

// The card is the file it was written to: the page in the data root's temp folder, shown from
// there. A file that cannot be written is said so, and the browser stays empty.
TEST_F(BrowserCard, IsWrittenToTheTempFolderAndShownFromThere)
{
    const qint64 key = Contact("张三", 0, 1, {{"uzw", "经理"}});
    const QString path = AppDir() + "temp/a.htm";
    QDir(AppDir() + "temp").removeRecursively();
    Page().ShowContactCard(QString::number(key));
    EXPECT_EQ(Tfuserfrm::CardFilePath(), path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString written = QString::fromUtf8(file.readAll());
    file.close();
    EXPECT_EQ(written, Page().CardHtml() + "\n");
    EXPECT_TRUE(written.startsWith("<HTML><style type=\"text/css\">body {margin-bottom: 0px;}body,td,th {\tfont-size: 12px;}"
                                   ".t1 {background-color: #D4D0C8;line-height: 24px;\tcolor: #333333;\ttext-indent: 10px;}"
                                   ".t2 {\ttext-indent: 10px;\tbackground-color: #FFFFFF;}"));
    EXPECT_TRUE(written.contains("</style><Body><table width=\"96%\" border=\"0\" cellspacing=\"1\" cellpadding=\"1\" "
                                 "style=\"{table-layout:fixed}\" bgcolor=\"#EEEEEE\"><tr><td class=\"t1\" width=\"100\">"
                                 "姓名:</td><td valign=\"baseline\" style=\"overflow:hidden; text-overflow:ellipsis;"
                                 "font-family: verdana;font-size:11px\" nowrap class=\"t2\""));
    EXPECT_EQ(Page().WebBrowser1->source(), QUrl::fromLocalFile(path));
    EXPECT_TRUE(Page().WebBrowser1->toPlainText().contains("张三") && Page().WebBrowser1->toPlainText().contains("经理"));

    // A folder where the file should be: the card cannot be written.
    TestDialogs().Reset();
    ASSERT_TRUE(QFile::remove(path) && QDir().mkpath(path));
    Page().ShowContactCard(QString::number(key));
    EXPECT_EQ(TestDialogs().Texts(), QStringList{"无法写入文件 " + QDir::toNativeSeparators(path)});
    EXPECT_TRUE(Page().WebBrowser1->toPlainText().isEmpty());
    EXPECT_TRUE(Page().CardHtml().isEmpty());
    QDir(path).removeRecursively();
    Page().ShowContactCard(QString::number(key));
    EXPECT_TRUE(Page().WebBrowser1->toPlainText().contains("张三"));
}

// Where a cell of the shown card puts its text, in the page's coordinates.
struct TCellText {
    qreal left = 0;  // the cell's paragraph
    int lines = 0;
    qreal right = 0;  // where the text ends
    qreal baseline = 0;
};

QTextTable *CardTable(QTextDocument *document)
{
    for (QTextFrame *frame : document->rootFrame()->childFrames()) {
        if (auto *table = qobject_cast<QTextTable *>(frame))
            return table;
    }
    return nullptr;
}

TCellText CellText(QTextDocument *document, int row, int column)
{
    const QTextBlock block = CardTable(document)->cellAt(row, column).firstCursorPosition().block();
    const QTextLayout *layout = block.layout();
    const QRectF rect = document->documentLayout()->blockBoundingRect(block);
    TCellText cell{rect.left(), layout->lineCount()};
    if (cell.lines > 0) {
        const QTextLine line = layout->lineAt(0);
        cell.right = rect.left() + line.x() + line.naturalTextWidth();
        cell.baseline = rect.top() + line.y() + line.ascent();
    }
    return cell;
}

// The shown card has the picture its page asks for: fixed columns, every value on one line, on
// its label's baseline and short of the next cell, long values cut with an ellipsis, links whole.
TEST_F(BrowserCard, ValuesStayOnOneLineInsideFixedColumns)
{
    const QString address = "zhang.san.with.a.long.address@example-company.com.cn";
    const qint64 longer = Contact("欧阳长名字", 0, 1,
        {{"uemail", address}, {"uwkaddress", "北京市海淀区中关村大街某某科技有限公司研发中心三号楼四层"},
         {"ufz", QString(300, 'w')}, {"uhtml", "http://www.example-company-with-a-long-name.com.cn"},
         {"uqq", "x@y.cn " + QString(80, 'q')}});
    const qint64 shorter = Contact("李四", 0, 1, {{"uemail", "a@b.cn"}});
    Page().show();
    for (const int width : {900, 640}) {
        SCOPED_TRACE(width);
        Page().resize(width, 600);
        QCoreApplication::processEvents();
        std::vector<qreal> columns[2];
        for (const qint64 key : {longer, shorter}) {
            Page().ShowContactCard(QString::number(key));
            QCoreApplication::processEvents();
            QTextDocument *document = Page().WebBrowser1->document();
            QTextTable *table = CardTable(document);
            ASSERT_TRUE(table);
            ASSERT_EQ(table->rows(), 10);
            const qreal tableRight = document->documentLayout()->frameBoundingRect(table).right();
            EXPECT_LE(tableRight, Page().WebBrowser1->viewport()->width());
            for (int row = 0; row < table->rows(); ++row) {
                for (int column : {1, 3}) {
                    SCOPED_TRACE(QString("row %1 column %2").arg(row).arg(column).toStdString());
                    const TCellText label = CellText(document, row, column - 1);
                    const TCellText value = CellText(document, row, column);
                    EXPECT_EQ(label.lines, 1);
                    EXPECT_LE(value.lines, 1);
                    if (value.lines == 0)
                        continue;
                    EXPECT_LT(value.right, column == 1 ? CellText(document, row, 2).left : tableRight);
                    EXPECT_NEAR(value.baseline, label.baseline, 1.5);
                }
            }
            for (int column = 0; column < 4; ++column)
                columns[key == longer ? 0 : 1].push_back(CellText(document, 0, column).left);
        }
        EXPECT_EQ(columns[0], columns[1]) << "the columns stay where they are";
        Page().ShowContactCard(QString::number(longer));
        QCoreApplication::processEvents();
        const QString shown = Page().WebBrowser1->toPlainText();
        EXPECT_TRUE(shown.contains(QChar(0x2026)) && !shown.contains(address) && shown.contains("欧阳长名字"));
        EXPECT_TRUE(Page().CardHtml().contains("mailto:" + address));
    }
}

} // namespace
