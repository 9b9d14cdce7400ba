#include "ThemeGlyphs.h"

#include "themed/TBXThemes.h"

#include "platform/ImgList.h"

#include <QImage>
#include <cstring>
#include <initializer_list>
#include <memory>

namespace {

struct Glyphs {
    int users = 0;
    std::unique_ptr<TImageList> list;
};

// Never destroyed: a theme released during the program's exit must still find it.
Glyphs &Shared()
{
    static Glyphs *glyphs = new Glyphs;
    return *glyphs;
}

// A glyph drawn from rows of '#', centred in a transparent 16 x 16 image.
QImage GlyphImage(std::initializer_list<const char *> rows)
{
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    int y = (16 - int(rows.size())) / 2;
    for (const char *row : rows) {
        const int w = int(std::strlen(row));
        for (int x = 0; x < w; ++x)
            if (row[x] == '#')
                image.setPixel((16 - w) / 2 + x, y, 0xFF000000);
        ++y;
    }
    return image;
}

} // namespace

void AcquireThemeGlyphs()
{
    Glyphs &g = Shared();
    if (g.users++ > 0)
        return;
    g.list = std::make_unique<TImageList>(nullptr);
    g.list->SetSize(16, 16);
    g.list->AddImage(GlyphImage({"##....##", ".##..##.", "..####..", "...##...", "..####..", ".##..##.", "##....##"}));
    g.list->AddImage(GlyphImage({"#########", "#########", "#.......#", "#.......#", "#.......#", "#.......#", "#########"}));
    g.list->AddImage(GlyphImage({"######", "######"}));
    g.list->AddImage(GlyphImage({"..######", "..######", "..#....#", "######.#", "######.#", "#....###", "#....#..",
                                 "######.."}));
}

void ReleaseThemeGlyphs()
{
    Glyphs &g = Shared();
    if (g.users > 0 && --g.users == 0)
        g.list.reset();
}

const TCustomImageList *ThemeGlyphs() { return Shared().list.get(); }

int WindowButtonGlyph(int buttonKind)
{
    if (buttonKind == GLYPH_CLOSE)
        return 0;
    if (buttonKind == GLYPH_MINIMIZE)
        return 2;
    if (buttonKind == GLYPH_RESTORE)
        return 3;
    return -1;
}
