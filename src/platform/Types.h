#pragma once
#include <QPoint>
#include <QRect>
#include <QString>
#include <cstdint>
#include <stdexcept>

// Geometry with the edge rules the drawing code relies on: Right and Bottom are exclusive, so a
// rectangle {0,0,10,5} is 10 pixels wide and 5 high. Never convert through QRect::right()/bottom().
struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint &, const TPoint &) = default;
    QPoint ToQPoint() const { return {X, Y}; }
    static TPoint FromQPoint(const QPoint &p) { return {p.x(), p.y()}; }
};

struct TSize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const TSize &, const TSize &) = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(const TPoint &p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
    TPoint TopLeft() const { return {Left, Top}; }
    TPoint BottomRight() const { return {Right, Bottom}; }
    void Offset(int dx, int dy) { Left += dx; Right += dx; Top += dy; Bottom += dy; }
    void Inflate(int dx, int dy) { Left -= dx; Right += dx; Top -= dy; Bottom += dy; }
    friend bool operator==(const TRect &, const TRect &) = default;

    QRect ToQRect() const { return QRect(Left, Top, Width(), Height()); }
    static TRect FromQRect(const QRect &r) { return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }
};

inline TRect Rect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }
inline TRect Bounds(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }
inline TPoint Point(int x, int y) { return {x, y}; }

// Intersection of two rectangles; false (and an empty result) when they do not overlap.
bool IntersectRect(TRect &dst, const TRect &a, const TRect &b);
// Smallest rectangle holding both; an empty one does not count.
bool UnionRect(TRect &dst, const TRect &a, const TRect &b);

// number * numerator / denominator with a 64-bit intermediate, rounded half away from zero;
// -1 when the denominator is 0.
int MulDiv(int number, int numerator, int denominator);

// Top-left corner of a w x h window centred on `around`, moved so that it stays within `work`
// (its top-left corner first, when it is larger than the work area).
TPoint CenteredWithin(const TRect &around, int w, int h, const TRect &work);

// Colours are 0x00BBGGRR. Two high-byte forms are not literal colours: clNone ("no colour") and
// 0xFF0000nn, system colour number nn, resolved through the system-colour table.
using TColor = std::int32_t;

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;

constexpr TColor SystemColor(int index) { return TColor(0xFF000000u | std::uint32_t(index)); }
constexpr bool IsSystemColor(TColor c) { return (std::uint32_t(c) & 0xFF000000u) == 0xFF000000u; }

constexpr TColor RGB(int r, int g, int b) { return TColor((b & 0xFF) << 16 | (g & 0xFF) << 8 | (r & 0xFF)); }
constexpr int GetRValue(TColor c) { return c & 0xFF; }
constexpr int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
constexpr int GetBValue(TColor c) { return (c >> 16) & 0xFF; }

// Errors raised by the component sets; texts are English and fixed.
class Exception : public std::runtime_error
{
public:
    explicit Exception(const QString &message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString &Message() const { return message_; }

private:
    QString message_;
};

class EInvalidOperation : public Exception
{
public:
    using Exception::Exception;
};

// Date-times as the class library keeps them: days since 1899-12-30, the fraction of a day the
// time. Negative values before that day carry the time as a positive fraction, as on Windows.
using TDateTime = double;

class QDateTime;
class QDate;
TDateTime DateTimeFromQt(const QDateTime &dt);
TDateTime DateFromQt(const QDate &d);
QDateTime DateTimeToQt(TDateTime value);
QDate DateToQt(TDateTime value);
