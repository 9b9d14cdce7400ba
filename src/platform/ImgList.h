#pragma once
#include "Classes.h"
#include "Graphics.h"

#include <QImage>
#include <functional>
#include <vector>

class TCustomImageList;

// Tells a user of an image list that its images changed. The list forgets a link that is
// destroyed, and a destroyed list leaves its links with no sender, so neither side dangles.
class TChangeLink
{
public:
    TChangeLink() = default;
    ~TChangeLink();
    TChangeLink(const TChangeLink &) = delete;
    TChangeLink &operator=(const TChangeLink &) = delete;

    TCustomImageList *Sender() const { return sender_; }
    std::function<void(TCustomImageList *sender)> OnChange;

private:
    friend class TCustomImageList;
    TCustomImageList *sender_ = nullptr;
};

// Equal-sized images kept with their transparency (premultiplied alpha; a mask gives 0 or 255).
class TCustomImageList : public TComponent
{
public:
    explicit TCustomImageList(TComponent *AOwner);
    ~TCustomImageList() override;

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Changing the size empties the list.
    void SetSize(int width, int height);
    void SetWidth(int value) { SetSize(value, height_); }
    void SetHeight(int value) { SetSize(width_, value); }
    int Count() const { return static_cast<int>(images_.size()); }

    // A strip of images Width() apart; a narrower one counts as one image. Mask pixels that
    // are white mark transparent pixels. Returns the index of the first image added, or -1.
    int Add(const TBitmap *image, const TBitmap *mask);
    // Pixels of maskColor (clDefault: the bottom-left pixel) become transparent.
    int AddMasked(const TBitmap *image, TColor maskColor);
    // An image with its own alpha channel.
    int AddImage(const QImage &image);
    void Delete(int index);
    void Clear();
    // The image at index as premultiplied ARGB; a null image for a bad index.
    QImage Image(int index) const;

    // Disabled images are embossed: every visible pixel that is not white becomes a
    // highlight-coloured dot one pixel down and right under a shadow-coloured one.
    void Draw(TCanvas *canvas, int x, int y, int index, bool enabled = true) const;

    void RegisterChanges(TChangeLink *link);
    void UnRegisterChanges(TChangeLink *link);
    std::function<void(TCustomImageList *sender)> OnChange;

protected:
    virtual void Change();

private:
    int AddStrip(const QImage &strip);

    int width_ = 16;
    int height_ = 16;
    std::vector<QImage> images_;
    std::vector<TChangeLink *> links_;
};

class TImageList : public TCustomImageList
{
public:
    using TCustomImageList::TCustomImageList;
};
