// The photo album page (userpic rows) and the contact photo (mypic).
#include "editor/useredit.h"

#include "shared/Utility.h"
#include "shared/UtilityDb.h"

#include "shared/QtCommandBuilder.h"
#include "platform//ADODB.h"
#include "platform/SaveFile.h"
#include "platform/UiServices.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString Orvanta = QStringLiteral("Orvanta");
const QString PictureFilter = QStringLiteral("图像文件 (*.jpg *.jpeg *.bmp *.png *.gif *.ico);;所有文件 (*)");
constexpr int ThumbnailSize = 100;
constexpr int PhotoSize = 80;

// A list item owns its row.
class PhotoItem final : public QListWidgetItem
{
public:
    explicit PhotoItem(std::unique_ptr<PhotoRow> row) : row_(std::move(row)) {}
    PhotoRow *Row() const { return row_.get(); }

private:
    std::unique_ptr<PhotoRow> row_;
};

// Thumbnails only: the picture centred in the item, a blue frame when selected, silver otherwise,
// no caption.
class ThumbnailDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QPixmap pixmap = index.data(Qt::UserRole).value<QPixmap>();
        const QRect bounds = option.rect.adjusted(1, 1, -1, -1);
        if (!pixmap.isNull()) {
            const QRect target(bounds.left() + (bounds.width() - pixmap.width()) / 2,
                               bounds.top() + (bounds.height() - pixmap.height()) / 2, pixmap.width(), pixmap.height());
            painter->drawPixmap(target, pixmap);
        }
        const bool selected = option.state & QStyle::State_Selected;
        painter->setPen(selected ? QColor(0, 0, 255) : QColor(192, 192, 192));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(bounds.adjusted(0, 0, -1, -1));
    }
    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        return {ThumbnailSize + 8, ThumbnailSize + 8};
    }
};

QVariant KeyValue(const QString &key)
{
    bool ok = false;
    const qint64 value = key.trimmed().toLongLong(&ok);
    return ok ? QVariant(value) : QVariant(key.trimmed());
}

bool ReadFileBytes(const QString &path, QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

} // namespace

void TUserEditForm::BuildAlbumPage()
{
    ToolBar2 = new QToolBar(TabSheet6);
    ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
    ToolBar2->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const auto item = [this](const char *name, const char *caption, void (TUserEditForm::*click)()) {
        return CommandRow(name, caption, "", click ? std::function<void()>([this, click] { (this->*click)(); }) : nullptr);
    };
    builder_->Fill(ToolBar2, commands_.Define(QStringLiteral("ToolBar2"),
                                              {
                                                  item("ToolButton72", "添加", &TUserEditForm::ToolButton72Click),
                                                  item("ToolButton76", "打开", nullptr),
                                                  item("ToolButton74", "另存为", &TUserEditForm::ToolButton74Click),
                                                  item("ToolButton75", "删除", &TUserEditForm::ToolButton75Click),
                                                  SeparatorRow(),
                                                  item("ToolButton63", "上一个", &TUserEditForm::ToolButton63Click),
                                                  item("ToolButton64", "下一个", &TUserEditForm::ToolButton64Click),
                                                  SeparatorRow(),
                                                  item("ToolButton77", "合适大小", &TUserEditForm::ToolButton77Click),
                                                  item("ToolButton66", "实际大小", &TUserEditForm::ToolButton66Click),
                                              }));
    const std::pair<TCommand **, const char *> fields[] = {
        {&ToolButton72, "ToolButton72"}, {&ToolButton76, "ToolButton76"}, {&ToolButton74, "ToolButton74"},
        {&ToolButton75, "ToolButton75"}, {&ToolButton63, "ToolButton63"}, {&ToolButton64, "ToolButton64"},
        {&ToolButton77, "ToolButton77"}, {&ToolButton66, "ToolButton66"}};
    for (const auto &[field, name] : fields)
        *field = Command(QString::fromLatin1(name));
    ToolButton76->SetVisible(false);
    ToolButton74->SetVisible(false);

    ScrollBox1 = new QScrollArea(TabSheet6);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setAlignment(Qt::AlignCenter);
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setBackgroundRole(QPalette::Base);
    Image1 = new QLabel;
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setScaledContents(true);
    ScrollBox1->setWidget(Image1);

    userpiclistview = new QListWidget(TabSheet6);
    userpiclistview->setObjectName(QStringLiteral("userpiclistview"));
    userpiclistview->setViewMode(QListView::IconMode);
    userpiclistview->setFlow(QListView::LeftToRight);
    userpiclistview->setWrapping(false);
    userpiclistview->setMovement(QListView::Static);
    userpiclistview->setIconSize(QSize(ThumbnailSize, ThumbnailSize));
    userpiclistview->setGridSize(QSize(ThumbnailSize + 8, ThumbnailSize + 8));
    userpiclistview->setItemDelegate(new ThumbnailDelegate(userpiclistview));
    userpiclistview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    userpiclistview->setFixedHeight(ThumbnailSize + 30);

    auto *layout = new QVBoxLayout(TabSheet6);
    layout->addWidget(ToolBar2);
    layout->addWidget(ScrollBox1, 1);
    layout->addWidget(userpiclistview);

    connect(userpiclistview, &QListWidget::currentRowChanged, this, &TUserEditForm::ShowPicture);
    // A picture chosen while the page was hidden was fitted to a box without its real size.
    connect(userPageControl, &QTabWidget::currentChanged, this, [this] {
        if (userPageControl->currentWidget() == TabSheet6 && Image1->size() != QSize(shownPicture_.Width, shownPicture_.Height))
            FitShownPicture();
    });
}

PhotoRow *TUserEditForm::PhotoOf(int index) const
{
    auto *item = dynamic_cast<PhotoItem *>(userpiclistview->item(index));
    return item ? item->Row() : nullptr;
}

void TUserEditForm::ClearPhotoList()
{
    const QSignalBlocker block(userpiclistview);
    userpiclistview->clear();
    shownPicture_ = {};
    Image1->clear();
    Image1->resize(0, 0);
}

void TUserEditForm::AddPhotoItem(std::unique_ptr<PhotoRow> row)
{
    const TPicture picture = DecodePicture(row->bytes, QSize(ThumbnailSize - 4, ThumbnailSize - 4));
    row->width = picture.Width;
    row->height = picture.Height;
    auto *item = new PhotoItem(std::move(row));
    // A picture that cannot be read is listed without a thumbnail.
    if (!picture.Image.isNull())
        item->setData(Qt::UserRole, QPixmap::fromImage(FittedThumbnail(picture, ThumbnailSize, ThumbnailSize)));
    item->setToolTip(Qt::convertFromPlainText(item->Row()->name));
    userpiclistview->addItem(item);
}

void TUserEditForm::LoadAlbum()
{
    ClearPhotoList();
    TADOQuery query(query_->Connection());
    if (!RunQuery(&query, QStringLiteral("select * from userpic where useruid=?"), {KeyValue(usrkeyid->text())}))
        return;
    for (query.First(); !query.Eof(); query.Next()) {
        auto row = std::make_unique<PhotoRow>();
        row->id = query.FieldByName(QStringLiteral("id")).AsString();
        row->name = query.FieldByName(QStringLiteral("titlemsg")).AsString();
        row->file = query.FieldByName(QStringLiteral("filename")).AsString();
        row->bytes = query.FieldByName(QStringLiteral("fjfile")).AsBlob();
        if (row->bytes.isEmpty())
            continue;
        AddPhotoItem(std::move(row));
    }
}

bool TUserEditForm::SaveAlbum(std::vector<std::pair<PhotoRow *, QString>> &written)
{
    TADOQuery query(query_->Connection());
    for (int i = 0; i < userpiclistview->count(); ++i) {
        PhotoRow *row = PhotoOf(i);
        if (!row || row->id != QLatin1String("0"))
            continue;
        if (!RunQuery(&query,
                      QStringLiteral("insert into userpic (useruid,titlemsg,filename,fjfile) values (?,?,?,?)"),
                      {KeyValue(usrkeyid->text()), TrimmedFileName(row->file), row->file, row->bytes}))
            return false;
        written.emplace_back(row, QString::number(query.Connection()->Db().LastInsertRowId()));
    }
    return true;
}

void TUserEditForm::ShowPicture(int index)
{
    const PhotoRow *row = PhotoOf(index);
    if (!row)
        return;
    // Nothing larger than the screen is ever shown whole, so nothing larger is decoded.
    const QScreen *screen = this->screen();
    shownPicture_ = DecodePicture(row->bytes, {}, screen ? screen->size() : QSize());
    Image1->setPixmap(QPixmap::fromImage(shownPicture_.Image));
    Image1->resize(shownPicture_.Width, shownPicture_.Height);
    FitShownPicture();
}

void TUserEditForm::FitShownPicture()
{
    const QSize box = ScrollBox1->viewport()->size();
    const QSize fitted = FitToScrollBox(shownPicture_.Width, shownPicture_.Height, box.width(), box.height());
    if (!fitted.isEmpty())
        Image1->resize(fitted);
}

QSize TUserEditForm::ShownPictureSize() const
{
    return Image1->size();
}

void TUserEditForm::ToolButton72Click()
{
    const QString path = Dialogs().OpenFileName(this, QString(), QString(), PictureFilter);
    QByteArray bytes;
    if (path.isEmpty() || !QFileInfo(path).isFile() || !ReadFileBytes(path, bytes))
        return;
    auto row = std::make_unique<PhotoRow>();
    row->file = path;
    row->name = TrimmedFileName(path);
    row->bytes = bytes;
    AddPhotoItem(std::move(row));
    userpiclistview->setCurrentRow(userpiclistview->count() - 1);
    Modified = true;
}

void TUserEditForm::ToolButton74Click()
{
    const PhotoRow *row = PhotoOf(userpiclistview->currentRow());
    if (!row)
        return;
    const QString target = Dialogs().SaveFileNameWithoutPrompt(this, QString(), row->file, QString());
    if (target.isEmpty())
        return;
    if (QFileInfo::exists(target) &&
        ShowMessage(QStringLiteral("文件已经存在，覆盖吗？"), Orvanta, MsgIcon::Question, MsgButtons::YesNo, this) !=
            MsgResult::Yes)
        return;
    if (!SaveFileBytes(target, row->bytes))
        ShowMessage(QStringLiteral("保存失败!"), Orvanta, MsgIcon::None, MsgButtons::OK, this);
}

void TUserEditForm::ToolButton75Click()
{
    QListWidgetItem *item = userpiclistview->currentItem();
    const PhotoRow *row = item ? static_cast<PhotoItem *>(item)->Row() : nullptr;
    if (!row)
        return;
    if (row->id != QLatin1String("0") &&
        !RunQuery(query_.get(), QStringLiteral("delete from userpic where id=?"), {KeyValue(row->id)}))
        return;
    delete item;
    if (userpiclistview->count() == 0) {
        shownPicture_ = {};
        Image1->clear();
        Image1->resize(0, 0);
    }
}

void TUserEditForm::ToolButton63Click()
{
    const int index = userpiclistview->currentRow();
    if (index >= 1)
        userpiclistview->setCurrentRow(index - 1);
}

void TUserEditForm::ToolButton64Click()
{
    const int index = userpiclistview->currentRow();
    if (index < userpiclistview->count() - 1)
        userpiclistview->setCurrentRow(index + 1);
}

void TUserEditForm::ToolButton77Click()
{
    FitShownPicture();
}

void TUserEditForm::ToolButton66Click()
{
    if (shownPicture_.Width > 0)
        Image1->resize(shownPicture_.Width, shownPicture_.Height);
}

// Contact photo ---------------------------------------------------------------------------------

bool TUserEditForm::HasPhoto() const
{
    return !Image5->isHidden();
}

void TUserEditForm::SetPhoto(const QByteArray &bytes, const QString &type, const QString &name)
{
    photoBytes_ = bytes;
    photoType_ = type;
    photoName_ = name;
    photo_ = DecodePicture(bytes, QSize(PhotoSize - 4, PhotoSize - 4));
    Image5->setPixmap(QPixmap::fromImage(FittedThumbnail(photo_, PhotoSize, PhotoSize)));
    SpeedButton1->hide();
    Image5->show();
}

void TUserEditForm::ClearPhoto()
{
    photoBytes_.clear();
    photoType_.clear();
    photoName_.clear();
    photo_ = {};
    Image5->clear();
    Image5->hide();
    SpeedButton1->show();
}

void TUserEditForm::N1Click()
{
    const QString path = Dialogs().OpenFileName(this, QString(), QString(), PictureFilter);
    QByteArray bytes;
    if (path.isEmpty() || !QFileInfo(path).isFile() || !ReadFileBytes(path, bytes))
        return;
    SetPhoto(bytes, FileExtLower(path), TrimmedFileName(path));
    Modified = true;
}

void TUserEditForm::N2Click()
{
    if (!HasPhoto() || photoBytes_.isEmpty())
        return;
    // The file dialog asks before the chosen file is replaced; a name that gains the photo's
    // extension afterwards is another file, which nobody was asked about yet.
    const QString chosen = Dialogs().SaveFileName(this, QString(), photoName_, QString());
    if (chosen.isEmpty())
        return;
    QString target = chosen;
    if (FileExtLower(target) != photoType_ && !photoType_.isEmpty())
        target += '.' + photoType_;
    if (target != chosen && QFileInfo::exists(target) &&
        ShowMessage(QStringLiteral("文件已经存在，覆盖吗？"), Orvanta, MsgIcon::Question, MsgButtons::YesNo, this) !=
            MsgResult::Yes)
        return;
    if (!SaveFileBytes(target, photoBytes_))
        ShowMessage(QStringLiteral("保存失败!"), Orvanta, MsgIcon::None, MsgButtons::OK, this);
}

void TUserEditForm::N3Click()
{
    ClearPhoto();
    Modified = true;
}
