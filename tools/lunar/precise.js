'use strict';
// High-precision instants for the events that fall near midnight: the full VSOP87 Sun and the
// ELP/MPP02 Moon from astronomia, with its observed ΔT. Too slow for every event, so it only
// times the ones the report lists.

const { solar, elp, planetposition, nutation, deltat } = require('astronomia');
const vsop87Bearth = require('astronomia/data/vsop87Bearth').default;
const elpMppDeFull = require('astronomia/data/elpMppDeFull').default;

const earth = new planetposition.Planet(vsop87Bearth);
const moon = new elp.Moon(elpMppDeFull);
const TWO_PI = 2 * Math.PI;

function wrap(angle) {
  return ((angle + Math.PI) % TWO_PI + TWO_PI) % TWO_PI - Math.PI;
}

function sunLongitude(jde) {
  return solar.apparentVSOP87(earth, jde).lon;
}

function moonLongitude(jde) {
  const seen = jde - moon.lightTime(jde);
  return moon.position(seen).lon + nutation.nutation(jde)[0];
}

// Newton steps on f(jde) = 0 from a first guess good to a day.
function solve(f, rate, guess) {
  let jde = guess;
  for (let i = 0; i < 20; i++) {
    const step = wrap(f(jde)) / rate;
    jde -= step;
    if (Math.abs(step) < 1e-7) return jde;
  }
  throw new Error('no convergence');
}

function jdeOfMs(ms) {
  return ms / 86400000 + 2440587.5;
}

function msOfJde(jde) {
  const ut = jde - deltat.deltaT(2000 + (jde - 2451545) / 365.25) / 86400;
  return (ut - 2440587.5) * 86400000;
}

// Both take a nearby UTC instant in milliseconds and return the event's UTC milliseconds.
function newMoonNear(ms) {
  const jde = solve((t) => moonLongitude(t) - sunLongitude(t), TWO_PI / 29.53, jdeOfMs(ms));
  return msOfJde(jde);
}

function sunLongitudeNear(degrees, ms) {
  const target = (degrees * Math.PI) / 180;
  const jde = solve((t) => sunLongitude(t) - target, TWO_PI / 365.2422, jdeOfMs(ms));
  return msOfJde(jde);
}

module.exports = { newMoonNear, sunLongitudeNear };
