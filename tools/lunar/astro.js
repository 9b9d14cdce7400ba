'use strict';
// The calendar computed from the sky: new moons and solar longitudes from astronomy-engine
// (VSOP87 Sun, ELP-derived Moon, its own ΔT model), taken to China's civil time, and the rules
// of the Chinese calendar applied to them.

const Astronomy = require('astronomy-engine');
const { MS_PER_DAY } = require('./days');

// China kept Beijing local mean time (UTC+7:45:40) until the end of 1928 and UTC+8 since.
const SWITCH_MS = Date.UTC(1928, 11, 31, 16, 0, 0);
const BEIJING_LMT_MS = ((7 * 60 + 45) * 60 + 40) * 1000;
const UTC8_MS = 8 * 3600 * 1000;

function civil(time) {
  const ms = time.date.getTime();
  const local = ms + (ms < SWITCH_MS ? BEIJING_LMT_MS : UTC8_MS);
  const day = Math.floor(local / MS_PER_DAY);
  const minutesAfterMidnight = (local - day * MS_PER_DAY) / 60000;
  return { day, minutesAfterMidnight, local };
}

function newMoons(fromMs, toMs) {
  const out = [];
  let start = new Date(fromMs);
  for (;;) {
    const t = Astronomy.SearchMoonPhase(0, start, 40);
    if (!t || t.date.getTime() > toMs) break;
    out.push({ time: t, ...civil(t) });
    start = new Date(t.date.getTime() + 20 * MS_PER_DAY);
  }
  return out;
}

// Term numbers run 1 (小寒, 285°) to 24 (冬至, 270°); the even ones are the principal terms.
function termNumberOfLongitude(lon) {
  return ((lon - 285 + 360) % 360) / 15 + 1;
}

function solarTerms(fromMs, toMs) {
  const out = [];
  let start = new Date(fromMs);
  let lon = Math.ceil(Astronomy.SunPosition(start).elon / 15) * 15 % 360;
  for (;;) {
    const t = Astronomy.SearchSunLongitude(lon, start, 20);
    if (!t) throw new Error(`no solar longitude ${lon} after ${start.toISOString()}`);
    if (t.date.getTime() > toMs) break;
    out.push({ time: t, number: termNumberOfLongitude(lon), ...civil(t) });
    start = new Date(t.date.getTime() + 10 * MS_PER_DAY);
    lon = (lon + 15) % 360;
  }
  return out;
}

// Months between two winter-solstice months (month 11): twelve, or thirteen with the first month
// that holds no principal term made the leap month, named after the month before it.
function assembleMonths(moons, terms) {
  const starts = moons.map((m) => m.day);
  const principal = terms.filter((t) => t.number % 2 === 0).map((t) => t.day);
  const solstices = terms.filter((t) => t.number === 24);
  const monthIndexOf = (day) => {
    let i = starts.length - 1;
    while (i >= 0 && starts[i] > day) i--;
    return i;
  };
  const holdsPrincipal = (i) => principal.some((d) => d >= starts[i] && d < starts[i + 1]);
  const months = [];
  for (let s = 0; s + 1 < solstices.length; s++) {
    const first = monthIndexOf(solstices[s].day);
    const next = monthIndexOf(solstices[s + 1].day);
    if (first < 0 || next + 1 >= starts.length) continue;
    const count = next - first;
    if (count !== 12 && count !== 13) throw new Error(`sui of ${count} months`);
    let leapAt = -1;
    if (count === 13) {
      for (let i = first + 1; i < next; i++) {
        if (!holdsPrincipal(i)) { leapAt = i; break; }
      }
      if (leapAt < 0) throw new Error('thirteen months without a month lacking a principal term');
    }
    const solsticeYear = new Date(solstices[s].local).getUTCFullYear();
    let number = 11;
    for (let i = first; i < next; i++) {
      const leap = i === leapAt;
      if (i > first && !leap) number = number % 12 + 1;
      const year = number >= 11 ? solsticeYear : solsticeYear + 1;
      months.push({ start: starts[i], length: starts[i + 1] - starts[i], number, leap, year });
    }
  }
  return months;
}

function compute(fromMs, toMs) {
  const moons = newMoons(fromMs, toMs);
  const terms = solarTerms(fromMs, toMs);
  return { moons, terms, months: assembleMonths(moons, terms) };
}

module.exports = { compute, civil };
