#pragma once
#include <QImage>

// The 16 x 16 images of the calendar page, by the index its items and tree nodes use: 0 a day,
// 8 a birthday, 9 a wedding anniversary, 10 a festival, 11 a plan; the places between are
// blank.
QImage CalendarImage(int index);
constexpr int CalendarImageCount = 12;
