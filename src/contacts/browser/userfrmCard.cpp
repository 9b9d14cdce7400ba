// The contact card: the chosen fields of one contact as an HTML table, addresses as links.
#include "browser/userfrm.h"

#include "shared/AppGlobals.h"
#include "browser/userfrmPrivate.h"

#include "platform/ADODB.h"

#include <QRegularExpression>
#include <QTextBrowser>

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
    // to the local part, so "john.smith@x.com" is linked whole.
    static const std::vector<TLinkRule> rules = {
        rule(R"(([\w.+-]+)@([\w-]+(?:\.[\w-]+)*))", R"(<A Href="mailto:\1@\2">\1@\2</A>)"),
        rule(R"(http:\/\/([\w\.]*))", R"(<A Href="http://\1" target=_blank>http://\1</A> )"),
        rule(R"(ftp:\/\/([\w\.]*))", R"(<A Href="ftp://\1" target=_blank>ftp://\1</A> )"),
        rule(R"(news:\/\/([\w\.]*))", R"(<A Href="news://\1" target=_blank>news://\1</A> )"),
        rule(R"(mms:\/\/([\w\.]*))", R"(<A Href="mms://\1" target=_blank>mms://\1</A> )"),
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

QString ContactCardHtml(const QStringList &captions, const QStringList &values)
{
    QString html = CardHead;
    const qsizetype count = std::min(captions.size(), values.size());
    for (qsizetype first = 0; first < count; first += 2) {
        html += QStringLiteral("<tr>");
        for (qsizetype i = first; i < first + 2 && i < count; ++i) {
            html += LabelCell + captions[i].toHtmlEscaped() + QStringLiteral(":</td>");
            html += ValueCell + MarkupLinks(CardValue(values[i]).toHtmlEscaped()) + QStringLiteral("</td>");
        }
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table>");
    return html;
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
    cardHtml_ = ContactCardHtml(captions, values);
    WebBrowser1->setHtml(cardHtml_);
}
