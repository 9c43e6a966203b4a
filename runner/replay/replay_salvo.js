// A salvo's replay: every watched weapon with its own trail, seeker cone and milestone markers, every
// target marked, and the chase view and the panel following one weapon at a time (w, or the "next
// weapon" button, picks the next). A single weapon's page is built without this script, so it wraps
// the scene, the motion, the panel and the controls after they are defined and before the player
// starts.
'use strict';

// The weapon the chase view, the panel and the player's steps follow. They all hold `track` as the
// missile's track; switching copies the next weapon's samples into it, so they follow it unchanged.
const chased = {
  tracks: [], index: 0, track: null,
  next() {
    this.index = (this.index + 1) % this.tracks.length;
    Object.assign(this.track, this.tracks[this.index]);
  },
};

// What a salvo weapon's seeker is doing at time t (s): as a single weapon's, unless its head is on
// a friend then.
function salvoSeekerState(weapon, t) {
  let change = null;
  for (const c of weapon.seeker) {
    if (c.time_s > t + 1e-9) break;
    change = c;
  }
  const state = seekerState(weapon.milestones, t);
  const onFriend = change && change.as === 'friend' && state !== 'impact' && state !== 'removed';
  return onFriend ? `on friend ${change.on}` : state;
}

// Gives the vessel `name` a model and a dot of `kind` in place of the carrier's it was built with.
function recastBody(world, overlay, name, model, kind) {
  const body = world.bodies[name];
  world.scene.remove(body.model);
  world.scene.add(model);
  body.dot.el.remove();
  Object.assign(body, { model, dot: overlay.dot(name, kind) });
}

const singleBuildScene = buildScene;
// The single weapon's scene, which has the first weapon and the first target, with the others added:
// `lanes`, each weapon's track, trail and cone (the first's as built), and `extraTargets`.
buildScene = function buildSalvoScene(data, overlay) {
  const world = singleBuildScene(data, overlay);
  const lanes = [{ track: world.missile, trail: world.trail, firstFree: world.firstFree, cone: world.cone }];
  for (const weapon of data.weapons) {
    const body = world.bodies[weapon.name];
    if (!body || body.track === world.missile) continue;  // never flown, or the first weapon
    const track = body.track;
    recastBody(world, overlay, weapon.name, missileModel(), 'missile');
    const firstFree = Math.max(0, track.phase.findIndex((p) => p !== 0));
    lanes.push({ track, trail: addTrail(world.scene, track, world.at), firstFree, cone: addCone(world.scene) });
    world.markers.push(...addMarkers(world.scene, overlay, weapon, track, world.at));
  }
  const extraTargets = [];
  for (const target of data.targets) {
    const body = world.bodies[target.name];
    if (!body || body.track === world.target) continue;
    recastBody(world, overlay, target.name, targetModel(target.size || 10), 'target');
    extraTargets.push({ track: body.track, path: addTargetPath(world.scene, body.track, world.at, world.span) });
  }
  chased.tracks = lanes.map((lane) => lane.track);
  chased.track = Object.assign({}, world.missile);
  return Object.assign(world, { lanes, extraTargets, missile: chased.track });
};

const singleMakeMotion = makeMotion;
// Each weapon moves as the single one does, on its own trail and cone; the first also shows the
// markers and the first target's path. Gives the chased weapon's sample.
makeMotion = function makeSalvoMotion(world) {
  const places = world.lanes.map((lane, k) => singleMakeMotion({
    ...world, missile: lane.track, trail: lane.trail, firstFree: lane.firstFree, cone: lane.cone,
    markers: k === 0 ? world.markers : [], targetPath: k === 0 ? world.targetPath : null }));
  const drives = world.extraTargets.map(({ track, path }) => {
    const drawTo = makeLineTo(path.driven, track, 0);
    return (t) => {
      if (t < track.t[0]) path.driven.geometry.setDrawRange(0, 0);  // before the target is there
      else drawTo(sampleAt(track, t), world.bodies[track.name].model.position.clone().setY(TARGET_PATH.drivenLift));
    };
  });
  return function place(t) {
    for (const p of places) p(t);
    for (const drive of drives) drive(t);
    return sampleAt(world.missile, t);
  };
};

const singleMakePanel = makePanel;
// The single weapon's panel of the chased weapon, with a first row naming it.
makePanel = function makeSalvoPanel(data, missile, target, tEnd) {
  const panel = document.getElementById('panel');
  const row = document.createElement('div');
  row.className = 'row';
  row.innerHTML = '<span>weapon</span><b id="hud-weapon"></b>';
  panel.insertBefore(row, panel.firstChild);
  const update = singleMakePanel(data, missile, target, tEnd);
  return function updateSalvo(t, i) {
    update(t, i);
    row.lastChild.textContent = `${missile.name} (${chased.index + 1} of ${chased.tracks.length})`;
    const weapon = data.weapons.find((w) => w.name === missile.name);
    if (weapon) document.getElementById('hud-seeker').textContent = salvoSeekerState(weapon, t);
  };
};

const singleWireControls = wireControls;
// The single weapon's controls, and w and a button that chase the next weapon.
wireControls = function wireSalvoControls(player) {
  singleWireControls(player);
  const next = () => {
    chased.next();
    player.seek(player.state.t);
  };
  const button = document.createElement('button');
  Object.assign(button, { id: 'next-weapon', title: 'chase the next weapon (w)', textContent: 'next weapon' });
  button.addEventListener('click', next);
  document.getElementById('bar').appendChild(button);
  window.addEventListener('keydown', (e) => {
    if (e.key === 'w' && !e.ctrlKey && !e.altKey && !e.metaKey) {
      e.preventDefault();
      next();
    }
  });
};
