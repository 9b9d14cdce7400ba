// The contact card: the chosen fields of one contact as an HTML table, addresses as links.
#include "browser/userfrm.h"

#include "shared/AppGlobals.h"
#include "shared/Utility.h"
#include "browser/userfrmPrivate.h"

#include "platform/ADODB.h"
#include "platform/AppPaths.h"
#include "platform/UiServices.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBrowser>
#include <cmath>

namespace {

const QString CardHead = QStringLiteral(
    "<HTML><style type=\"text/css\">body {margin-bottom: 0px;}body,td,th {\tfont-size: 12px;}"
    ".t1 {background-color: #D4D0C8;line-height: 24px;\tcolor: #333333;\ttext-indent: 10px;}"
    ".t2 {\ttext-indent: 10px;\tbackground-color: #FFFFFF;}</style><Body>"
    "<table width=\"96%\" border=\"0\" cellspacing=\"1\" cellpadding=\"1\" style=\"{table-layout:fixed}\" "
    "bgcolor=\"#EEEEEE\">");
const QString LabelCell = QStringLiteral("<td class=\"t1\" width=\"100\">");
const QString ValueCell = QStringLiteral(
    "<td valign=\"baseline\" style=\"overflow:hidden; text-overflow:ellipsis;font-family: verdana;font-size:11px\" "
    "nowrap class=\"t2\">");
// Qt's rich text knows neither a fixed table layout, nor a cell's text overflow, nor a baseline
// alignment of cells, and it gives a link in a cell the size of the cell rule instead of the
// cell's own. The card gets the same picture from what it does know: the value cells take their
// width from the page and their texts are cut to it beforehand, the values have the labels'
// line height, so both sit on one baseline, and links keep the values' size. A browser shows
// the page alike.
const QString QtCellStyle = QStringLiteral(".t2 {line-height: 24px; white-space: nowrap;}a {font-size: 11px;}");
constexpr int LabelWidth = 100;
constexpr int CellSpacing = 1;
constexpr int CellPadding = 1;
constexpr int TextIndent = 10;
constexpr int ValueFontPixels = 11;

struct TLinkRule {
    QRegularExpression pattern;
    QString replacement;
};

const std::vector<TLinkRule> &LinkRules()
{
    const auto rule = [](const char *pattern, const char *replacement) {
        return TLinkRule{QRegularExpression(QString::fromLatin1(pattern), QRegularExpression::CaseInsensitiveOption),
                         QString::fromLatin1(replacement)};
    };
    // An address needs something on both sides of the "@"; dots, plus signs and hyphens belong
    // to the local part, so "john.smith@x.com" is linked whole. Host names hold hyphens too: a
    // link that stopped at one would lead to another site.
    static const std::vector<TLinkRule> rules = {
        rule(R"(([\w.+-]+)@([\w-]+(?:\.[\w-]+)*))", R"(<A Href="mailto:\1@\2">\1@\2</A>)"),
        rule(R"(http:\/\/([\w.-]*))", R"(<A Href="http://\1" target=_blank>http://\1</A> )"),
        rule(R"(ftp:\/\/([\w.-]*))", R"(<A Href="ftp://\1" target=_blank>ftp://\1</A> )"),
        rule(R"(news:\/\/([\w.-]*))", R"(<A Href="news://\1" target=_blank>news://\1</A> )"),
        rule(R"(mms:\/\/([\w.-]*))", R"(<A Href="mms://\1" target=_blank>mms://\1</A> )"),
    };
    return rules;
}

// Laying out one long unbroken token takes seconds per hundred kilobytes and grows faster than
// the text; the card shows the start of a value (the editor shows all of it).
constexpr qsizetype CardValueLimit = 2000;

QString CardValue(const QString &value)
{
    if (value.size() <= CardValueLimit)
        return value;
    qsizetype cut = CardValueLimit;
    if (value.at(cut - 1).isHighSurrogate())
        --cut;
    return value.left(cut) + QChar(0x2026);
}

} // namespace

QString MarkupLinks(const QString &text)
{
    if (text.isEmpty())
        return text;
    QString marked = text;
    for (const TLinkRule &rule : LinkRules())
        marked.replace(rule.pattern, rule.replacement);
    return marked;
}

namespace {

// The text a browser shows for a piece of the card's markup: tags dropped, entities read.
QString VisibleText(const QString &html)
{
    QString text;
    for (qsizetype i = 0; i < html.size(); ++i) {
        if (html[i] == u'<') {
            i = html.indexOf(u'>', i);
            if (i < 0)
                break;
        } else if (html[i] == u'&') {
            const qsizetype end = html.indexOf(u';', i);
            const QString entity = html.mid(i, end < 0 ? 1 : end - i + 1);
            text += entity == QLatin1String("&lt;")     ? QStringLiteral("<")
                    : entity == QLatin1String("&gt;")   ? QStringLiteral(">")
                    : entity == QLatin1String("&quot;") ? QStringLiteral("\"")
                                                        : QStringLiteral("&");
            i = end < 0 ? i : end;
        } else {
            text += html[i];
        }
    }
    return text;
}

// The markup up to its `keep`-th shown character, with a link that was cut closed.
QString CutMarkup(const QString &html, qsizetype keep)
{
    QString cut;
    qsizetype shown = 0;
    bool inLink = false;
    for (qsizetype i = 0; i < html.size() && shown < keep; ++i) {
        if (html[i] == u'<') {
            const qsizetype end = html.indexOf(u'>', i);
            const QString tag = html.mid(i, end < 0 ? html.size() - i : end - i + 1);
            inLink = !tag.startsWith(QLatin1String("</"));
            cut += tag;
            i = end < 0 ? html.size() : end;
            continue;
        }
        const qsizetype end = html[i] == u'&' ? std::max(i, html.indexOf(u';', i)) : i;
        cut += html.mid(i, end - i + 1);
        i = end;
        ++shown;
    }
    // A character of two halves is never split.
    if (!cut.isEmpty() && cut.back().isHighSurrogate())
        cut.chop(1);
    if (inLink)
        cut += QStringLiteral("</A>");
    return cut;
}

// The value's markup, cut with an ellipsis where its text is wider than its cell.
QString ValueMarkup(const QString &value, const TCardLayout &layout)
{
    const QString html = MarkupLinks(CardValue(value).toHtmlEscaped());
    if (layout.valueWidth <= 0)
        return html;
    const QFontMetrics metrics(layout.valueFont);
    const int room = std::max(0, layout.valueWidth - 2 * CellPadding - TextIndent - 2);
    const QString shown = VisibleText(html);
    if (metrics.horizontalAdvance(shown) <= room)
        return html;
    const QString ellipsis(QChar(0x2026));
    QString elided = metrics.elidedText(shown, Qt::ElideRight, room);
    if (elided.endsWith(ellipsis))
        elided.chop(1);
    return CutMarkup(html, std::min(elided.size(), shown.size())) + ellipsis;
}

} // namespace

QString ContactCardHtml(const QStringList &captions, const QStringList &values, const TCardLayout &layout)
{
    QString html = CardHead;
    QString valueCell = ValueCell;
    if (layout.valueWidth > 0) {
        html.replace(QStringLiteral("</style>"), QtCellStyle + QStringLiteral("</style>"));
        valueCell.insert(valueCell.size() - 1, QStringLiteral(" width=\"%1\"").arg(layout.valueWidth));
    }
    const qsizetype count = std::min(captions.size(), values.size());
    for (qsizetype first = 0; first < count; first += 2) {
        html += QStringLiteral("<tr>");
        for (qsizetype i = first; i < first + 2 && i < count; ++i) {
            html += LabelCell + captions[i].toHtmlEscaped() + QStringLiteral(":</td>");
            html += valueCell + ValueMarkup(values[i], layout) + QStringLiteral("</td>");
        }
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table>");
    return html;
}

TCardLayout CardLayout(int pageWidth, const QFont &pageFont)
{
    TCardLayout layout;
    const int table = int(std::floor(pageWidth * 0.96));
    layout.valueWidth = std::max(1, (table - 2 * LabelWidth - 5 * CellSpacing) / 2);
    layout.valueFont = pageFont;
    layout.valueFont.setFamilies({QStringLiteral("verdana")});
    layout.valueFont.setPixelSize(ValueFontPixels);
    return layout;
}

QString Tfuserfrm::CardFilePath()
{
    return AppDir() + QStringLiteral("temp/a.htm");
}

namespace {

// The card's browser, which says when its width changed: once the resizing is over, never from
// inside the browser's own work, and once for any number of resizes in a row.
class TCardView final : public QTextBrowser
{
public:
    using QTextBrowser::QTextBrowser;
    std::function<void()> OnWidthChanged;

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QTextBrowser::resizeEvent(event);
        if (pending_ || !OnWidthChanged)
            return;
        pending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                pending_ = false;
                OnWidthChanged();
            },
            Qt::QueuedConnection);
    }

private:
    bool pending_ = false;
};

} // namespace

QTextBrowser *Tfuserfrm::MakeCardView(QWidget *parent)
{
    auto *view = new TCardView(parent);
    view->OnWidthChanged = [this] {
        // Only a card that is shown is laid out again.
        if (cardValueWidth_ >= 0)
            RenderCard();
    };
    return view;
}

bool Tfuserfrm::RenderCard()
{
    // The room of a page with a scroll bar, whether one shows or not: the card's width does not
    // come and go with the scroll bar. Until the browser has been given its size the page's
    // width is unknown and the cells are left to it; its first resize lays the card out.
    const int page = WebBrowser1->contentsRect().width() - WebBrowser1->verticalScrollBar()->sizeHint().width() -
                     2 * int(WebBrowser1->document()->documentMargin());
    const TCardLayout layout = WebBrowser1->testAttribute(Qt::WA_Resized)
                                   ? CardLayout(page, WebBrowser1->document()->defaultFont())
                                   : TCardLayout{};
    if (layout.valueWidth == cardValueWidth_)
        return true;
    const QString html = ContactCardHtml(cardCaptions_, cardValues_, layout);
    const QString path = CardFilePath();
    EnsureDir(QFileInfo(path).absolutePath());
    if (!WriteTextFile(path, html))
        return false;
    cardHtml_ = html;
    cardValueWidth_ = layout.valueWidth;
    const QUrl url = QUrl::fromLocalFile(path);
    if (WebBrowser1->source() == url)
        WebBrowser1->reload();
    else
        WebBrowser1->setSource(url);
    return true;
}

void Tfuserfrm::ShowContactCard(const QString &keyidText)
{
    const QString keyid = keyidText;  // may be the card's own key, cleared next
    cardKeyid_.clear();
    QStringList captions;
    QStringList values;
    bool ok = false;
    const qint64 key = keyid.trimmed().toLongLong(&ok);
    SQLite::Database *db = Db();
    if (ok && db && !cardFields_.isEmpty()) {
        try {
            SQLite::Statement read(*db, QStringLiteral("select ") + cardFields_.join(',') +
                                            QStringLiteral(",kzfield2 from userinfo where keyid=?"));
            read.Bind(1, key);
            if (read.ExecuteStep()) {
                const TRowReader row(read);
                cardKeyid_ = keyid;
                for (int i = 0; i < cardFields_.size(); ++i) {
                    captions << PairValueOf(FieldCaptions, cardFields_[i]);
                    values << (row.Foreign() ? QString() : read.Column(i).toString());
                }
            }
        } catch (const EDatabaseError &) {
            captions.clear();
            values.clear();
        }
    }
    // The old card goes first; a card that cannot be written leaves the browser empty.
    WebBrowser1->clear();
    cardCaptions_ = captions;
    cardValues_ = values;
    cardValueWidth_ = -1;
    if (!RenderCard()) {
        cardHtml_.clear();
        ShowMessage(QStringLiteral("无法写入文件 %1").arg(QDir::toNativeSeparators(CardFilePath())),
                    QStringLiteral("Orvanta"), MsgIcon::Stop, MsgButtons::OK, this);
    }
}
