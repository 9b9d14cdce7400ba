// Renders a month planner with items and lunar captions into a PNG, to look at by eye:
//   plannershot [output.png] [yyyy-mm]
// Runs on the offscreen platform unless another one is asked for.
#include "contacts/calendar/DateCn.h"
#include "controls/SPMonth.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QFont>
#include <QImage>
#include <QLocale>
#include <cstdio>

namespace {

class Window : public TCustomControl
{
public:
    Window() : TCustomControl(nullptr) { SetColor(clBtnFace); }

protected:
    bool ShowsWithoutParent() const override { return true; }
};

// Today is pinned, so the picture shows its gradient in the chosen month.
class FixedClock : public IClock
{
public:
    explicit FixedClock(const QDate &day) : day_(day) {}
    QDateTime Now() const override { return QDateTime(day_, QTime(9, 0)); }

private:
    QDate day_;
};

TDateTime At(const QDate &d, int hour = 0, int minute = 0) { return DateFromQt(d) + (hour * 60 + minute) / 1440.0; }

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 9));
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));

    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("planner.png");
    QDate month = argc > 2 ? QDate::fromString(QString::fromLocal8Bit(argv[2]) + "-01", "yyyy-MM-dd")
                           : QDate(2024, 2, 1);
    if (!month.isValid()) {
        std::fprintf(stderr, "month must be yyyy-mm\n");
        return 2;
    }
    FixedClock clock(month.addDays(13));
    SetClock(&clock);

    Window window;
    window.SetBounds(0, 0, 760, 560);
    auto *source = new TSPPlannerSource(&window);
    auto *planner = new TSPMonthPlanner(&window);
    planner->SetParent(&window);
    planner->SetAlign(TAlign::alClient);
    planner->SetWeekStart(TSPWeekStart::wsSunday);
    planner->SetLunarTextSource(LunarDayText);
    planner->SetShowChinaDate(true);
    planner->SetSource(source);
    planner->SetDate(month);

    source->BeginUpdate();
    const QDate d = month;
    source->AddItem({}, QStringLiteral("春节假期"), At(d.addDays(8)), At(d.addDays(18)), true, false, clNone, 2);
    source->AddItem({}, QStringLiteral("张三 生日"), At(d.addDays(4)), At(d.addDays(5)), true, false, 0xC0FFC0, 2);
    source->AddItem({}, QStringLiteral("会议"), At(d.addDays(4), 9, 30), At(d.addDays(4), 11), false, false, clNone, 2);
    source->AddItem({}, QStringLiteral("午餐"), At(d.addDays(4), 12), At(d.addDays(4), 13), false, false, clNone, 2);
    for (int i = 0; i < 6; ++i)
        source->AddItem({}, QStringLiteral("事项 %1").arg(i + 1), At(d.addDays(20), 8 + i), At(d.addDays(20), 9 + i),
                        false, false, clNone, 2);
    source->AddItem({}, QStringLiteral("出差"), At(d.addDays(22), 14), At(d.addDays(24), 18), false, false, 0xFFE0C0, 2);
    source->AddItem({}, QStringLiteral("结婚纪念日"), At(d.addDays(26)), At(d.addDays(27)), true,
                    false, clNone, 2);
    source->EndUpdate();

    window.Show();
    QApplication::processEvents();
    const QImage image = window.grab().toImage();
    SetClock(nullptr);
    if (!image.save(output)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
        return 1;
    }
    std::printf("%s\n", qPrintable(output));
    return 0;
}
