'use strict';
// Packs the settled calendar into the program's three tables, and reads them back with the
// program's own conversion steps so that a packing mistake cannot reach the committed source.

const { dayOf, ymdOf, weekdayOf, cycleDayOf } = require('./days');

const FIRST_YEAR = 1901;
const LAST_YEAR = 2050;
const FIRST_NEW_YEAR = 1936;
const LAST_NEW_YEAR = 2030;

function monthIndexOfDay(months, day) {
  const i = months.findIndex((m) => m.start <= day && day < m.start + m.length);
  if (i < 0) throw new Error(`no month holds day ${day}`);
  return i;
}

// Byte 0: bit 7 set for month 12, clear for month 11; bits 0-6 the lunar day of 1 January.
// Bytes 1-2: one bit for each of 16 months from the month of 1 January on, set for 30 days.
// Byte 3: the month a leap month follows. A leap month holding 1 January is not named there:
// the conversion learns it from 31 December of the year before.
function lunarYearRecord(months, year) {
  const jan1 = dayOf(year, 1, 1);
  const first = monthIndexOfDay(months, jan1);
  const head = months[first];
  if (head.number !== 11 && head.number !== 12) throw new Error(`${year} starts in month ${head.number}`);
  let word = 0;
  let leap = 0;
  for (let k = 0; k < 16; k++) {
    const m = months[first + k];
    if (!m) throw new Error(`the months after ${year} run out`);
    if (m.length === 30) word |= 1 << (15 - k);
    if (k > 0 && m.leap) leap = m.number;
  }
  return [(head.number === 12 ? 0x80 : 0) | (jan1 - head.start + 1), word >> 8, word & 0xff, leap];
}

// High nibble: the first term falls on day 15 - h; low nibble: the second on day 15 + l.
function solarTermRow(termDays, year) {
  const row = [];
  for (let month = 1; month <= 12; month++) {
    const first = ymdOf(termDays.get(`${year}:${month * 2 - 1}`)).day;
    const second = ymdOf(termDays.get(`${year}:${month * 2}`)).day;
    const h = 15 - first;
    const l = second - 15;
    if (h < 0 || h > 15 || l < 0 || l > 15) throw new Error(`terms of ${year}-${month} do not fit a nibble`);
    row.push((h << 4) | l);
  }
  return row;
}

function newYearRecord(months, lunarYear) {
  const ofYear = months.filter((m) => m.year === lunarYear);
  if (ofYear.length < 12 || ofYear[0].number !== 1 || ofYear[0].leap) {
    throw new Error(`lunar year ${lunarYear} is incomplete`);
  }
  const jan1 = dayOf(lunarYear, 1, 1);
  const leapMonth = ofYear.find((m) => m.leap);
  const lengths = ofYear.map((m) => m.length - 29);
  while (lengths.length < 13) lengths.push(0);
  return [ofYear[0].start - jan1, leapMonth ? leapMonth.number : 0, weekdayOf(jan1), cycleDayOf(jan1), ...lengths];
}

function encode(calendar) {
  const lunarYears = [];
  const solarTerms = [];
  for (let y = FIRST_YEAR; y <= LAST_YEAR; y++) {
    lunarYears.push(lunarYearRecord(calendar.months, y));
    solarTerms.push(solarTermRow(calendar.termDays, y));
  }
  const newYears = [];
  for (let y = FIRST_NEW_YEAR; y <= LAST_NEW_YEAR; y++) newYears.push(newYearRecord(calendar.months, y));
  return { lunarYears, solarTerms, newYears };
}

// --- The program's conversion steps, on the packed tables ---

const MONTH_START = [
  [0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365, 396],
  [0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366, 397],
];

function isLeapYear(y) {
  return y % 400 === 0 || (y % 4 === 0 && y % 100 !== 0);
}

function solarToLunar(tables, year, month, day) {
  if (year < FIRST_YEAR || year > LAST_YEAR) return 0;
  const [b0, hi, lo, leap] = tables.lunarYears[year - FIRST_YEAR];
  const word = (hi << 8) | lo;
  const L = [];
  for (let i = 0; i < 16; i++) L.push(word & (1 << (15 - i)) ? 30 : 29);
  const M = [b0 & 0x80 ? 12 : 11];
  for (let i = 0; i < 16; i++) {
    if (M[i] === leap) M.push(-leap);
    else if (M[i] < 0) M.push(1 - M[i] > 12 ? 1 : 1 - M[i]);
    else M.push(M[i] + 1 > 12 ? 1 : M[i] + 1);
  }
  const d = MONTH_START[isLeapYear(year) ? 1 : 0][month - 1] + day - 1;
  const F = b0 & 0x7f;
  const sign = (m, dd) => (m > 0 ? m * 100 + dd : m * 100 - dd);
  if (d > L[0] - F) {
    let s = L[0] - F;
    let k = 1;
    while (k < 15 && d > s + L[k]) s += L[k++];
    if (d > s + L[k]) throw new Error(`${year}-${month}-${day} runs past the record`);
    return sign(M[k], d - s);
  }
  let m = M[0];
  if (year > FIRST_YEAR && solarToLunar(tables, year - 1, 12, 31) < 0) m = -m;
  return sign(m, F + d);
}

function solarTerm(tables, year, month, day) {
  if (year < FIRST_YEAR || year > LAST_YEAR) return 0;
  const b = tables.solarTerms[year - FIRST_YEAR][month - 1];
  const termDay = day < 15 ? 15 - (b >> 4) : 15 + (b & 15);
  if (day !== termDay) return 0;
  return day <= 15 ? month * 2 - 1 : month * 2;
}

function lunarToSolar(tables, year, month, day) {
  if (year < FIRST_NEW_YEAR || year > LAST_NEW_YEAR || month < 1 || month > 12 || day < 0) return null;
  const r = tables.newYears[year - FIRST_NEW_YEAR];
  const p = r[1] !== 0 && r[1] < month ? month + 1 : month;
  if (day > r[4 + p - 1] + 29) return null;
  let n = r[0] + day;
  for (let i = 1; i < p; i++) n += r[4 + i - 1] + 29;
  const row = MONTH_START[isLeapYear(year) ? 1 : 0];
  let j = 13;
  while (j > 0 && !(n > row[j])) j--;
  return j > 11 ? { year: year + 1, month: j - 11, day: n - row[j] } : { year, month: j + 1, day: n - row[j] };
}

module.exports = {
  encode, solarToLunar, solarTerm, lunarToSolar, FIRST_YEAR, LAST_YEAR, FIRST_NEW_YEAR, LAST_NEW_YEAR,
};
