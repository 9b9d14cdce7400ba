'use strict';
// A third, purely tabulated calendar (solarlunar's month and term tables, the widely copied
// 1900-2100 tables). It only breaks ties where the two main sources disagree on a day.

const solarlunar = require('solarlunar');
const { ymdOf } = require('./days');

const sl = solarlunar.default || solarlunar;

function lunarDate(dayNumber) {
  const { year, month, day } = ymdOf(dayNumber);
  const r = sl.solar2lunar(year, month, day);
  return { month: r.isLeap ? -r.lMonth : r.lMonth, day: r.lDay };
}

function termOn(dayNumber) {
  const { year, month, day } = ymdOf(dayNumber);
  const first = sl.getTerm(year, month * 2 - 1);
  const second = sl.getTerm(year, month * 2);
  if (day === first) return month * 2 - 1;
  if (day === second) return month * 2;
  return 0;
}

module.exports = { lunarDate, termOn };
