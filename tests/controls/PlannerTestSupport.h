#pragma once
// A month planner in a window with a fixed geometry: a 2-pixel border, a 22-pixel weekday
// header and cells of 100 x 100 pixels (or a chosen size), so cell (c, r) covers client pixels
// [100c, 100c + 100) x [22 + 100r, 122 + 100r). Text is measured by a fixed source, so no
// layout depends on the fonts of the machine.
#include "../platform/InputSim.h"
#include "TestSupport.h"
#include "controls/SPMonth.h"
#include "platform/Graphics.h"
#include "platform/InputRouter.h"
#include "platform/SysColors.h"
#include "platform/SysParams.h"
#include <QApplication>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

inline void PrintTo(const QStringList &l, std::ostream *os) { *os << "[" << l.join(" | ").toStdString() << "]"; }
inline void PrintTo(const QColor &c, std::ostream *os) { *os << c.name().toStdString(); }
inline void PrintTo(const TRect &r, std::ostream *os)
{
    *os << "{" << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom << "}";
}

// Six pixels a character (twelve for one beyond ASCII), lines of 14.
struct FixedMetrics final : ITextMetrics {
    TTextMetric Metrics(const TFont &) override
    {
        return {.tmHeight = 14, .tmAscent = 11, .tmDescent = 3, .tmAveCharWidth = 6, .tmMaxCharWidth = 12};
    }
    int TextWidth(const TFont &, const QString &text) override
    {
        int w = 0;
        for (QChar c : text)
            w += c.unicode() < 0x80 ? 6 : 12;
        return w;
    }
};

// A control that shows without a parent, as a window of its own.
struct TWindowBox : TCustomControl {
    explicit TWindowBox(TComponent *owner = nullptr) : TCustomControl(owner) { SetColor(clBtnFace); }
    bool ShowsWithoutParent() const override { return true; }
};

inline QColor Rgb(TColor c)
{
    c = ColorToRGB(c);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

// Lets go of buttons and captures a test left held.
inline void ReleaseInput()
{
    sim::HeldButtons() = Qt::NoButton;
    while (GetCaptureControl())
        SetCaptureControl(nullptr);
}

inline TDateTime Day(int y, int m, int d, int hour = 0, int minute = 0)
{
    return DateFromQt(QDate(y, m, d)) + (hour * 60 + minute) / 1440.0;
}

struct PlannerTest : ::testing::Test {
    void SetUp() override
    {
        clock.now = QDateTime(QDate(2024, 2, 14), QTime(9, 0));
        SetClock(&clock);
        SetTextMetrics(&metrics);
        window = std::make_unique<TWindowBox>();
        window->SetBounds(50, 50, 760, 680);
        source = new TSPPlannerSource(window.get());
        planner = MakePlanner(0, 0);
        window->Show();
        QApplication::setActiveWindow(window.get());
        QApplication::processEvents();
    }
    void TearDown() override
    {
        window.reset();
        SetTextMetrics(nullptr);
        SetClock(nullptr);
        ResetSysParams();
        ReleaseInput();
    }
    TSPMonthPlanner *MakePlanner(int left, int top, TSPCustomSource *src = nullptr)
    {
        auto *p = new TSPMonthPlanner(window.get());
        p->SetParent(window.get());
        p->SetBounds(left, top, 4 + 7 * cell, 4 + 22 + 6 * cell);
        p->SetSource(src ? src : source);
        p->SetDate(QDate(2024, 2, 1));
        return p;
    }
    // Widget coordinates (border included) of a point inside cell (col, row), by default its middle.
    QPoint At(int col, int row, int dx = -1, int dy = -1) const
    {
        return {2 + cell * col + (dx < 0 ? cell / 2 : dx), 2 + 22 + cell * row + (dy < 0 ? cell / 2 : dy)};
    }
    // Where lane k of a week row lies, dx into the cell.
    QPoint Lane(int col, int row, int lane, int dx = -1) const { return At(col, row, dx, 16 + 20 * lane + 9); }
    TSPPlanItem *Add(const QString &text, TDateTime start, TDateTime end, bool allDay = true)
    {
        return source->AddItem(QString(), text, start, end, allDay, false, clNone, 2);
    }
    // Everything one full repaint draws.
    TCanvasRecorder Record()
    {
        TCanvasRecorder rec;
        planner->Canvas()->SetRecorder(&rec);
        planner->Repaint();
        planner->grab();
        planner->Canvas()->SetRecorder(nullptr);
        return rec;
    }

    int cell = 100;
    FakeClock clock;
    FixedMetrics metrics;
    std::unique_ptr<TWindowBox> window;
    TSPPlannerSource *source = nullptr;
    TSPMonthPlanner *planner = nullptr;
};
