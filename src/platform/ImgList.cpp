#include "ImgList.h"

#include <algorithm>

TChangeLink::~TChangeLink()
{
    if (sender_)
        sender_->UnRegisterChanges(this);
}

TCustomImageList::TCustomImageList(TComponent *AOwner) : TComponent(AOwner) {}

TCustomImageList::~TCustomImageList()
{
    for (TChangeLink *link : links_)
        link->sender_ = nullptr;
    links_.clear();
}

void TCustomImageList::SetSize(int width, int height)
{
    width = std::max(1, width);
    height = std::max(1, height);
    if (width == width_ && height == height_)
        return;
    width_ = width;
    height_ = height;
    images_.clear();
    Change();
}

int TCustomImageList::AddStrip(const QImage &strip)
{
    if (strip.isNull() || strip.width() == 0 || strip.height() == 0)
        return -1;
    const int first = Count();
    const int count = std::max(1, strip.width() / width_);
    for (int i = 0; i < count; ++i) {
        QImage cell(width_, height_, QImage::Format_ARGB32_Premultiplied);
        cell.fill(0);
        const int w = std::min(width_, strip.width() - i * width_), h = std::min(height_, strip.height());
        for (int y = 0; y < h; ++y) {
            const auto *src = reinterpret_cast<const std::uint32_t *>(strip.constScanLine(y)) + i * width_;
            std::copy(src, src + w, reinterpret_cast<std::uint32_t *>(cell.scanLine(y)));
        }
        images_.push_back(std::move(cell));
    }
    Change();
    return first;
}

int TCustomImageList::Add(const TBitmap *image, const TBitmap *mask)
{
    if (!image || image->Empty())
        return -1;
    QImage strip(image->Width(), image->Height(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image->Height(); ++y) {
        const std::uint32_t *src = image->ScanLine(y);
        const std::uint32_t *m = (mask && y < mask->Height()) ? mask->ScanLine(y) : nullptr;
        auto *dst = reinterpret_cast<std::uint32_t *>(strip.scanLine(y));
        for (int x = 0; x < image->Width(); ++x) {
            const bool clear = m && x < mask->Width() && (m[x] & 0xFFFFFF) == 0xFFFFFF;
            dst[x] = clear ? 0 : (0xFF000000u | (src[x] & 0xFFFFFF));
        }
    }
    return AddStrip(strip);
}

int TCustomImageList::AddMasked(const TBitmap *image, TColor maskColor)
{
    if (!image || image->Empty())
        return -1;
    const TColor key = ColorToRGB(maskColor == clDefault ? image->TransparentColor() : maskColor);
    const std::uint32_t keyRgb = ColorToQRgb(key) & 0xFFFFFF;
    QImage strip(image->Width(), image->Height(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image->Height(); ++y) {
        const std::uint32_t *src = image->ScanLine(y);
        auto *dst = reinterpret_cast<std::uint32_t *>(strip.scanLine(y));
        for (int x = 0; x < image->Width(); ++x) {
            const std::uint32_t rgb = src[x] & 0xFFFFFF;
            dst[x] = rgb == keyRgb ? 0 : (0xFF000000u | rgb);
        }
    }
    return AddStrip(strip);
}

int TCustomImageList::AddImage(const QImage &image)
{
    return AddStrip(image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

void TCustomImageList::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    images_.erase(images_.begin() + index);
    Change();
}

void TCustomImageList::Clear()
{
    if (images_.empty())
        return;
    images_.clear();
    Change();
}

QImage TCustomImageList::Image(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    return images_[static_cast<size_t>(index)];
}

void TCustomImageList::Draw(TCanvas *canvas, int x, int y, int index, bool enabled) const
{
    if (!canvas || index < 0 || index >= Count())
        return;
    const QImage &img = images_[static_cast<size_t>(index)];
    if (enabled) {
        canvas->Draw(x, y, img);
        return;
    }
    const std::uint32_t highlight = ColorToQRgb(clBtnHighlight), shadow = ColorToQRgb(clBtnShadow);
    QImage embossed(width_ + 1, height_ + 1, QImage::Format_ARGB32_Premultiplied);
    embossed.fill(0);
    auto visibleDark = [&](int px, int py) {
        const std::uint32_t p = reinterpret_cast<const std::uint32_t *>(img.constScanLine(py))[px];
        if ((p >> 24) < 0x80)
            return false;
        // Compare the colour undone from premultiplication with white.
        const int a = int(p >> 24);
        auto un = [&](int shift) { return std::min(255, (int((p >> shift) & 0xFF) * 255 + a / 2) / a); };
        return !(un(16) == 255 && un(8) == 255 && un(0) == 255);
    };
    for (int py = 0; py < height_; ++py)
        for (int px = 0; px < width_; ++px)
            if (visibleDark(px, py))
                embossed.setPixel(px + 1, py + 1, highlight);
    for (int py = 0; py < height_; ++py)
        for (int px = 0; px < width_; ++px)
            if (visibleDark(px, py))
                embossed.setPixel(px, py, shadow);
    canvas->Draw(x, y, embossed);
}

void TCustomImageList::RegisterChanges(TChangeLink *link)
{
    if (!link || link->sender_ == this)
        return;
    if (link->sender_)
        link->sender_->UnRegisterChanges(link);
    link->sender_ = this;
    links_.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink *link)
{
    const auto it = std::find(links_.begin(), links_.end(), link);
    if (it == links_.end())
        return;
    links_.erase(it);
    link->sender_ = nullptr;
}

void TCustomImageList::Change()
{
    // A handler may unregister links (its own or others); only links still registered hear.
    const std::vector<TChangeLink *> snapshot = links_;
    for (TChangeLink *link : snapshot)
        if (std::find(links_.begin(), links_.end(), link) != links_.end() && link->OnChange)
            link->OnChange(this);
    if (OnChange)
        OnChange(this);
}
