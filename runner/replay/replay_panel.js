// The head-up panel (the missile's time, altitude, speed, attitude, seeker and phase, the target's
// speed, the latest event) and the legend of the trail's colours, the target's path and the grid's
// step.
'use strict';

// Fills the legend once.
function buildLegend(world) {
  const legend = document.getElementById('legend');
  const entry = (color, name) => {
    const row = document.createElement('div');
    row.innerHTML = `<i style="background:#${color.toString(16).padStart(6, '0')}"></i>`;
    row.appendChild(document.createTextNode(name));
    legend.appendChild(row);
  };
  for (const p of PHASES) entry(p.color, p.name);
  if (world.targetPath && world.targetPath.route.visible) entry(TARGET_PATH.driven, 'target path');
  const scale = document.createElement('div');
  scale.textContent = `grid ${formatDistance(world.step)}`;
  legend.appendChild(scale);
}

// What the seeker is doing at time t (s), from the milestones.
function seekerState(milestones, t) {
  const ms = milestones;
  if (typeof ms.removal === 'number' && t >= ms.removal) return 'removed';
  if (typeof ms.impact === 'number' && t >= ms.impact) return 'impact';
  if (typeof ms.lock === 'number' && t >= ms.lock) return 'LOCKED';
  return 'searching';
}

// Returns update(t, i), which shows the panel, the clock and the slider at time t (s), the
// missile's sample i. `target` is the target's track, or null.
function makePanel(data, missile, target, tEnd) {
  const hud = (id, text) => { document.getElementById(id).textContent = text; };
  const slider = document.getElementById('slider');
  document.getElementById('wind-row').hidden = !missile.wind;  // still air shows no wind row
  document.getElementById('target-row').hidden = !target;
  return function update(t, i) {
    hud('hud-time', `${t.toFixed(2)} s`);
    hud('hud-alt', `${missile.alt[i].toFixed(0)} m`);
    hud('hud-speed', `${missile.speed[i].toFixed(0)} m/s`);
    hud('hud-mach', missile.mach[i].toFixed(2));
    hud('hud-attitude', `${(missile.pitch[i] * DEG).toFixed(1)}\u00b0 / ${(missile.bank[i] * DEG).toFixed(1)}\u00b0`);
    hud('hud-head', `${(missile.az[i] * DEG).toFixed(1)}\u00b0 / ${(missile.el[i] * DEG).toFixed(1)}\u00b0`);
    hud('hud-seeker', seekerState(data.milestones, t));
    hud('hud-phase', PHASES[missile.phase[i]].name);
    if (target) hud('hud-target', `${target.speed[sampleAt(target, t)].toFixed(0)} m/s`);
    if (missile.wind) {
      hud('hud-wind', missile.wind[i] > 0 ? `${missile.wind[i].toFixed(1)} m/s from ${missile.windFrom[i].toFixed(0)}\u00b0` : 'calm');
    }
    let event = null;
    for (const e of data.events) {
      if (e.t > t + 1e-9) break;
      event = e;
    }
    hud('event', event ? `${event.t.toFixed(2)} s  ${event.text}` : '');
    document.getElementById('clock').textContent = `${t.toFixed(2)} / ${tEnd.toFixed(2)} s`;
    slider.value = t;
  };
}
