'use strict';
// The calendar as lunar-javascript keeps it: the 寿星 (sxwnl) new-moon and term computation,
// with its correction tables for the calendars actually issued before 1960 and high-precision
// astronomy in UTC+8 after.

const { LunarYear, Solar, ShouXingUtil } = require('lunar-javascript');
const { JDN_1970, ymdOf } = require('./days');

const J2000 = 2451545;

function months(firstLunarYear, lastLunarYear) {
  const byStart = new Map();
  for (let y = firstLunarYear; y <= lastLunarYear; y++) {
    for (const m of LunarYear.fromYear(y).getMonths()) {
      const start = Math.round(m.getFirstJulianDay()) - JDN_1970;
      const entry = {
        start, length: m.getDayCount(), number: Math.abs(m.getMonth()), leap: m.getMonth() < 0,
        year: m.getYear(),
      };
      const seen = byStart.get(start);
      if (seen && JSON.stringify(seen) !== JSON.stringify(entry)) {
        throw new Error(`lunar-javascript describes the month from day ${start} twice, differently`);
      }
      byStart.set(start, entry);
    }
  }
  return [...byStart.values()].sort((a, b) => a.start - b.start);
}

// The day of each solar term as the library's calendar uses it. Term k counts from 春分 of 1999
// (J2000 day -286); calcQi returns the civil day of the term nearest the mean time it is given.
function termDays(fromDay, toDay) {
  const out = [];
  const first = Math.floor(((fromDay + JDN_1970 - 2451259) * 24) / 365.2422) - 2;
  for (let k = first; ; k++) {
    const mean = 2451259 - J2000 + (k * 365.2422) / 24;
    const day = ShouXingUtil.calcQi(mean) + J2000 - JDN_1970;
    if (day > toDay) break;
    if (day < fromDay) continue;
    const { month, day: dom } = ymdOf(day);
    out.push({ day, number: month * 2 - (dom < 15 ? 1 : 0), longitude: (((k % 24) + 24) % 24) * 15 });
  }
  return out;
}

// The library's precise instant (UTC+8) of each term, for the near-midnight report.
function preciseTermTimes(year) {
  const table = Solar.fromYmd(year, 6, 1).getLunar().getJieQiTable();
  return Object.entries(table).map(([name, solar]) => ({ name, text: solar.toYmdHms() }));
}

function lunarDate(year, month, day) {
  const l = Solar.fromYmd(year, month, day).getLunar();
  return { month: l.getMonth(), day: l.getDay() };
}

module.exports = { months, termDays, preciseTermTimes, lunarDate };
