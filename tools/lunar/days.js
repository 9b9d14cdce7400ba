'use strict';
// Civil days are counted as whole days since 1970-01-01, so that plain integer arithmetic
// works across years and the two sources can be compared day by day.

const MS_PER_DAY = 86400000;

function dayOf(year, month, day) {
  return Math.floor(Date.UTC(year, month - 1, day) / MS_PER_DAY);
}

function ymdOf(dayNumber) {
  const d = new Date(dayNumber * MS_PER_DAY);
  return { year: d.getUTCFullYear(), month: d.getUTCMonth() + 1, day: d.getUTCDate() };
}

function isoOf(dayNumber) {
  const { year, month, day } = ymdOf(dayNumber);
  return `${year}-${String(month).padStart(2, '0')}-${String(day).padStart(2, '0')}`;
}

function weekdayOf(dayNumber) {
  // 1970-01-01 was a Thursday; Monday counts as 0.
  return (((dayNumber + 3) % 7) + 7) % 7;
}

function cycleDayOf(dayNumber) {
  // Position in the sixty-day cycle, 甲子 = 0; 1970-01-01 was 辛巳 (17).
  return (((dayNumber + 17) % 60) + 60) % 60;
}

// Julian day number (noon-based integer) of the civil day.
const JDN_1970 = 2440588;

module.exports = { MS_PER_DAY, dayOf, ymdOf, isoOf, weekdayOf, cycleDayOf, JDN_1970 };
