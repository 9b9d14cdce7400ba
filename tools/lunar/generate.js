'use strict';
// Builds the lunar calendar tables (src/contacts/LunarTables.cpp) and the test data that checks
// them (tests/contacts/data/lunar_*.txt) from two independent sources that must agree on every
// day: lunar-javascript (the calendar as issued, including its historical corrections) and an
// astronomical computation with astronomy-engine. A day on which they differ is settled by a
// third, tabulated calendar (solarlunar); if that sides with neither, generation stops.
// Every new moon and solar term within 30 minutes of midnight is timed once more with
// astronomia (full VSOP87 and ELP/MPP02) and listed in near-midnight.txt.
//
// Usage: node generate.js [repository root]   (default: two folders up)

const fs = require('fs');
const path = require('path');
const astro = require('./astro');
const lunarjs = require('./lunarjs');
const tabulated = require('./tabulated');
const precise = require('./precise');
const { MS_PER_DAY, dayOf, ymdOf, isoOf } = require('./days');
const tables = require('./encode');

const root = path.resolve(process.argv[2] || path.join(__dirname, '..', '..'));

// Whole lunar years 1900 to 2051: they hold every month the tables describe.
const FROM = dayOf(1900, 1, 1);
const TO = dayOf(2052, 3, 31);
const FIRST_DATA_YEAR = 1900;
const LAST_DATA_YEAR = 2051;
const TERMS_FROM = dayOf(tables.FIRST_YEAR, 1, 1);
const TERMS_TO = dayOf(tables.LAST_YEAR, 12, 31);
const NEAR_MIDNIGHT_MINUTES = 30;

const TERM_NAMES = ['小寒', '大寒', '立春', '雨水', '惊蛰', '春分', '清明', '谷雨', '立夏', '小满', '芒种', '夏至',
  '小暑', '大暑', '立秋', '处暑', '白露', '秋分', '寒露', '霜降', '立冬', '小雪', '大雪', '冬至'];

function lookup(months, day) {
  const m = months.find((x) => x.start <= day && day < x.start + x.length);
  if (!m) throw new Error(`no month holds ${isoOf(day)}`);
  return { month: m.leap ? -m.number : m.number, day: day - m.start + 1 };
}

const same = (x, y) => x.month === y.month && x.day === y.day;
const text = (x) => `${x.month < 0 ? '闰' : ''}${Math.abs(x.month)}/${x.day}`;

function settleDays(aMonths, bMonths, disputes) {
  const settled = new Map();
  for (let d = FROM; d <= TO; d++) {
    const a = lookup(aMonths, d);
    const b = lookup(bMonths, d);
    if (same(a, b)) { settled.set(d, a); continue; }
    const t = tabulated.lunarDate(d);
    const chosen = same(t, a) ? a : same(t, b) ? b : null;
    const line = `${isoOf(d)} lunar date: lunar-javascript ${text(a)}, astronomy ${text(b)}, tabulated ${text(t)}`
      + ` -> ${chosen ? text(chosen) : 'UNSETTLED'}`;
    if (!chosen) throw new Error(line);
    const last = disputes[disputes.length - 1];
    if (last && last.day === d - 1) {
      last.day = d;
      last.following++;
    } else {
      disputes.push({ day: d, line, following: 0 });
    }
    settled.set(d, chosen);
  }
  return settled;
}

function monthsOfDays(settled) {
  const months = [];
  for (let d = FROM; d <= TO; d++) {
    const v = settled.get(d);
    if (v.day === 1) {
      if (months.length) months[months.length - 1].length = d - months[months.length - 1].start;
      months.push({ start: d, number: Math.abs(v.month), leap: v.month < 0, length: 0 });
    } else if (months.length && v.day !== d - months[months.length - 1].start + 1) {
      throw new Error(`day numbers jump at ${isoOf(d)}`);
    }
  }
  months.pop(); // runs past the range, length unknown
  // New year's day always falls in January or February.
  const firstNewYear = months.find((m) => m.number === 1 && !m.leap);
  let year = ymdOf(firstNewYear.start).year - 1;
  for (const m of months) {
    if (m.number === 1 && !m.leap) year++;
    m.year = year;
    if (m.length !== 29 && m.length !== 30) throw new Error(`month of ${m.length} days at ${isoOf(m.start)}`);
  }
  return months;
}

function settleTerms(aTerms, bTerms, disputes) {
  const aOn = new Map(aTerms.map((t) => [t.day, t.number]));
  const bOn = new Map(bTerms.map((t) => [t.day, t.number]));
  const termDays = new Map();
  for (let d = TERMS_FROM; d <= TERMS_TO; d++) {
    const a = aOn.get(d) || 0;
    const b = bOn.get(d) || 0;
    let chosen = a;
    if (a !== b) {
      const t = tabulated.termOn(d);
      chosen = t === a ? a : t === b ? b : -1;
      const name = (n) => (n ? TERM_NAMES[n - 1] : '-');
      const line = `${isoOf(d)} solar term: lunar-javascript ${name(a)}, astronomy ${name(b)}, tabulated ${name(t)}`
        + ` -> ${chosen < 0 ? 'UNSETTLED' : name(chosen)}`;
      if (chosen < 0) throw new Error(line);
      disputes.push({ day: d, line, following: 0 });
    }
    if (chosen) {
      const key = `${ymdOf(d).year}:${chosen}`;
      if (termDays.has(key)) throw new Error(`${key} twice`);
      termDays.set(key, d);
    }
  }
  if (termDays.size !== (tables.LAST_YEAR - tables.FIRST_YEAR + 1) * 24) throw new Error('terms missing');
  return termDays;
}

// --- near-midnight report ---

function civilOfMs(ms) {
  return astro.civil({ date: new Date(ms) });
}

function clock(local) {
  return new Date(local).toISOString().slice(0, 19).replace('T', ' ');
}

function nearestStart(months, day) {
  let best = null;
  for (const m of months) if (!best || Math.abs(m.start - day) < Math.abs(best.start - day)) best = m;
  return best.start;
}

function nearMidnight(b, aMonths, tabulatedStarts, settledMonths, aTerms, termDays) {
  const near = (e) => e.minutesAfterMidnight < NEAR_MIDNIGHT_MINUTES
    || e.minutesAfterMidnight > 1440 - NEAR_MIDNIGHT_MINUTES;
  const lines = [];
  const lastStart = settledMonths[settledMonths.length - 1].start;
  for (const moon of b.moons) {
    if (moon.day < settledMonths[0].start - 2 || moon.day > lastStart + 2 || !near(moon)) continue;
    const c = civilOfMs(precise.newMoonNear(moon.time.date.getTime()));
    const tDay = nearestStart(tabulatedStarts, moon.day);
    lines.push({
      what: 'new moon', b: moon, c, a: nearestStart(aMonths, moon.day), t: tDay,
      kept: nearestStart(settledMonths, moon.day),
    });
  }
  const aDay = new Map(aTerms.map((t) => [`${ymdOf(t.day).year}:${t.number}`, t.day]));
  for (const term of b.terms) {
    if (term.day < TERMS_FROM || term.day > TERMS_TO || !near(term)) continue;
    const key = `${ymdOf(term.day).year}:${term.number}`;
    const lon = (285 + 15 * (term.number - 1)) % 360;
    const c = civilOfMs(precise.sunLongitudeNear(lon, term.time.date.getTime()));
    const { year, month } = ymdOf(term.day);
    const t = [-1, 0, 1].map((k) => term.day + k).find((d) => tabulated.termOn(d) === term.number);
    lines.push({
      what: TERM_NAMES[term.number - 1], b: term, c, a: aDay.get(key), t, kept: termDays.get(key),
      year, month,
    });
  }
  return lines.map((l) => {
    const agree = l.a === l.b.day && l.b.day === l.c.day && l.c.day === l.t && l.t === l.kept;
    const days = `lunar-javascript ${isoOf(l.a)}, astronomy-engine ${isoOf(l.b.day)}, astronomia ${isoOf(l.c.day)},`
      + ` tabulated ${l.t === undefined ? '-' : isoOf(l.t)}`;
    return `${agree ? ' ' : '*'} ${l.what.padEnd(8)} ${clock(l.b.local)} (astronomy-engine), ${clock(l.c.local)}`
      + ` (astronomia); ${days}; kept ${isoOf(l.kept)}`;
  });
}

// --- output ---

const hex = (v) => `0x${v.toString(16).toUpperCase().padStart(2, '0')}`;

function cppSource(packed) {
  const out = [];
  out.push('// Generated by tools/lunar/generate.js from the Chinese calendar as issued; do not edit.');
  out.push('#include "ChDateTo.h"');
  out.push('#include "DateCn.h"');
  out.push('');
  out.push(`const unsigned char LunarYearTable[${packed.lunarYears.length}][4] = {`);
  packed.lunarYears.forEach((r, i) => out.push(`    {${r.map(hex).join(', ')}},  // ${tables.FIRST_YEAR + i}`));
  out.push('};');
  out.push('');
  out.push(`const unsigned char SolarTermTable[${packed.solarTerms.length * 12}] = {`);
  packed.solarTerms.forEach((r, i) => out.push(`    ${r.map(hex).join(', ')},  // ${tables.FIRST_YEAR + i}`));
  out.push('};');
  out.push('');
  out.push(`const std::int32_t LunarNewYearTable[${packed.newYears.length}][17] = {`);
  packed.newYears.forEach((r, i) => out.push(`    {${r.slice(0, 4).join(', ')}, ${r.slice(4).join(', ')}},  // ${tables.FIRST_NEW_YEAR + i}`));
  out.push('};');
  return out.join('\n') + '\n';
}

function yearsData(months) {
  const out = ['# Lunar years: the year, its new year\'s day, the month its leap month follows (0: none) and',
    '# the lengths of its months in order, leap month in its place, 1 for 30 days and 0 for 29.',
    '# Written by tools/lunar/generate.js; independent of the packed tables.'];
  for (let y = FIRST_DATA_YEAR; y <= LAST_DATA_YEAR; y++) {
    const ofYear = months.filter((m) => m.year === y);
    const leap = ofYear.find((m) => m.leap);
    const lengths = ofYear.map((m) => (m.length === 30 ? '1' : '0')).join('');
    out.push(`${y} ${isoOf(ofYear[0].start)} ${leap ? leap.number : 0} ${lengths}`);
  }
  return out.join('\n') + '\n';
}

function termsData(termDays) {
  const out = ['# Day of the month of each of the 24 solar terms (小寒 first), one line per year.',
    '# Written by tools/lunar/generate.js; independent of the packed tables.'];
  for (let y = tables.FIRST_YEAR; y <= tables.LAST_YEAR; y++) {
    const days = [];
    for (let n = 1; n <= 24; n++) days.push(ymdOf(termDays.get(`${y}:${n}`)).day);
    out.push(`${y} ${days.join(' ')}`);
  }
  return out.join('\n') + '\n';
}

// --- checks of the packed tables ---

function checkPacked(packed, settled, months, termDays) {
  for (let d = TERMS_FROM; d <= TERMS_TO; d++) {
    const { year, month, day } = ymdOf(d);
    const v = settled.get(d);
    const want = v.month < 0 ? v.month * 100 - v.day : v.month * 100 + v.day;
    const got = tables.solarToLunar(packed, year, month, day);
    if (got !== want) throw new Error(`packed tables give ${got} for ${isoOf(d)}, calendar ${want}`);
    const term = tables.solarTerm(packed, year, month, day);
    const wantTerm = [month * 2 - 1, month * 2].find((n) => termDays.get(`${year}:${n}`) === d) || 0;
    if (term !== wantTerm) throw new Error(`packed tables give term ${term} on ${isoOf(d)}`);
  }
  for (const m of months) {
    if (m.year < tables.FIRST_NEW_YEAR || m.year > tables.LAST_NEW_YEAR || m.leap) continue;
    for (let day = 0; day <= m.length; day++) {
      const got = tables.lunarToSolar(packed, m.year, m.number, day);
      const want = ymdOf(m.start + day - 1);
      if (!got || got.year !== want.year || got.month !== want.month || got.day !== want.day) {
        throw new Error(`packed tables put ${m.year}/${m.number}/${day} on ${JSON.stringify(got)}`);
      }
    }
    if (tables.lunarToSolar(packed, m.year, m.number, m.length + 1)) throw new Error('month too long');
  }
}

// Rows known beforehand; bits of months that begin after 31 December are not compared.
const KNOWN_LUNAR_YEARS = {
  1901: [0x0B, 0x52, 0xBA, 0x00], 1936: [0x87, 0x49, 0xBA, 0x03], 2000: [0x19, 0xB2, 0x5B, 0x00],
  2023: [0x8A, 0xA6, 0xD5, 0x02], 2050: [0x88, 0x2A, 0xD8, 0x03],
};
const KNOWN_TERMS = {
  1901: [0x96, 0xB4, 0x96, 0xA6, 0x97, 0x97, 0x78, 0x79, 0x79, 0x69, 0x78, 0x77],
  2000: [0x96, 0xB4, 0xA5, 0xB5, 0xA6, 0xA6, 0x87, 0x88, 0x88, 0x78, 0x87, 0x86],
};
const KNOWN_NEW_YEARS = { 1936: [23], 2000: [35], 2023: [21, 2, 6] };

function checkKnownRows(packed, months) {
  const notes = [];
  for (const [y, want] of Object.entries(KNOWN_LUNAR_YEARS)) {
    const got = packed.lunarYears[y - tables.FIRST_YEAR];
    const first = months.findIndex((m) => m.start <= dayOf(+y, 1, 1) && dayOf(+y, 1, 1) < m.start + m.length);
    let mask = 0;
    for (let k = 0; k < 16; k++) if (months[first + k] && months[first + k].start <= dayOf(+y, 12, 31)) mask |= 1 << (15 - k);
    const word = (r) => ((r[1] << 8) | r[2]) & mask;
    if (got[0] !== want[0] || got[3] !== want[3] || word(got) !== word(want)) {
      throw new Error(`lunar year ${y}: ${got.map(hex)} against ${want.map(hex)}`);
    }
    if (got.some((v, i) => v !== want[i])) {
      notes.push(`lunar year ${y}: ${got.map(hex).join(' ')} (known row ${want.map(hex).join(' ')}; differs only`
        + ' in months after 31 December)');
    }
  }
  for (const [y, want] of Object.entries(KNOWN_TERMS)) {
    const got = packed.solarTerms[y - tables.FIRST_YEAR];
    if (got.some((v, i) => v !== want[i])) throw new Error(`solar terms ${y}: ${got.map(hex)}`);
  }
  for (const [y, want] of Object.entries(KNOWN_NEW_YEARS)) {
    const got = packed.newYears[y - tables.FIRST_NEW_YEAR];
    if (want.some((v, i) => v !== got[i])) throw new Error(`new year ${y}: ${got}`);
  }
  return notes;
}

function main() {
  const b = astro.compute(Date.UTC(1899, 8, 1), Date.UTC(2053, 2, 1));
  const aMonths = lunarjs.months(1899, 2053);
  const aTerms = lunarjs.termDays(TERMS_FROM - 40, TERMS_TO + 40);
  const disputes = [];
  const settled = settleDays(aMonths, b.months, disputes);
  const months = monthsOfDays(settled);
  const termDays = settleTerms(aTerms, b.terms, disputes);

  const tabulatedStarts = [];
  for (let d = dayOf(1900, 2, 1); d <= TO; d++) if (tabulated.lunarDate(d).day === 1) tabulatedStarts.push({ start: d });
  const report = nearMidnight(b, aMonths, tabulatedStarts, months, aTerms, termDays);

  const packed = tables.encode({ months, termDays });
  checkPacked(packed, settled, months, termDays);
  const notes = checkKnownRows(packed, months);

  fs.writeFileSync(path.join(root, 'src/contacts/LunarTables.cpp'), cppSource(packed));
  fs.mkdirSync(path.join(root, 'tests/contacts/data'), { recursive: true });
  fs.writeFileSync(path.join(root, 'tests/contacts/data/lunar_years.txt'), yearsData(months));
  fs.writeFileSync(path.join(root, 'tests/contacts/data/lunar_terms.txt'), termsData(termDays));

  const summary = [
    'Days on which lunar-javascript and astronomy-engine disagree, and how they were settled:',
    ...disputes.map((x) => `  ${x.line}${x.following ? ` (and the same shift on the ${x.following} days after)` : ''}`),
    '',
    `New moons and solar terms within ${NEAR_MIDNIGHT_MINUTES} minutes of midnight in China's civil time`,
    '(Beijing local mean time UTC+7:45:40 until 1928, UTC+8 since); * marks a day the sources do not all share:',
    ...report,
    '',
    ...notes,
  ];
  fs.writeFileSync(path.join(__dirname, 'near-midnight.txt'), summary.join('\n') + '\n');
  console.log(summary.join('\n'));
  console.log(`\n${months.length} months, ${termDays.size} terms written.`);
}

main();
