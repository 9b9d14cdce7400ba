#include "main/about.h"

#include "shared/FormParts.h"
#include "main/MakerLinks.h"
#include "shared/Utility.h"

#include "platform/SysColors.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel *MakeLabel(const QString &text, const QString &name, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

} // namespace

Tfrmabout::Tfrmabout(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmabout"));
    setWindowTitle(QStringLiteral("关于Orvanta"));

    QLabel *product = MakeLabel(QStringLiteral("Orvanta"), QStringLiteral("Label1"), this);
    QFont big = product->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    product->setFont(big);
    QLabel *version = MakeLabel(VersionText, QStringLiteral("Label2"), this);
    QLabel *maker = MakeLabel(MakerName, QStringLiteral("Label3"), this);
    Label6 = MakeLabel(HomePageUrl, QStringLiteral("Label6"), this);
    Label4 = MakeLabel(ProductPageUrl, QStringLiteral("Label4"), this);
    BitBtn1 = FormButton(QStringLiteral("关闭"), "BitBtn1", this, TEnterPress::Focused);

    for (QLabel *link : {Label6, Label4}) {
        link->setCursor(Qt::PointingHandCursor);
        link->installEventFilter(this);
        SetHot(link, false);
    }

    QHBoxLayout *buttons = ButtonRow({BitBtn1});
    auto *layout = new QVBoxLayout(this);
    for (QWidget *line : std::initializer_list<QWidget *>{product, version, maker, Label6, Label4})
        layout->addWidget(line);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    setMinimumWidth(320);

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::close);
}

void Tfrmabout::SetHot(QLabel *label, bool hot)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor::fromRgb(ColorToQRgb(hot ? TColor(0xFF0000) : clWindowText)));
    label->setPalette(palette);
    QFont font = label->font();
    font.setUnderline(hot);
    label->setFont(font);
}

bool Tfrmabout::eventFilter(QObject *watched, QEvent *event)
{
    auto *label = qobject_cast<QLabel *>(watched);
    if (label != Label6 && label != Label4)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Enter:
        SetHot(label, true);
        break;
    case QEvent::Leave:
        SetHot(label, false);
        break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            OpenUrl(label == Label6 ? HomePageUrl : ProductPageUrl);
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}
