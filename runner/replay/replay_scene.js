// The replay's scene: the ground, the vessels, the missile's trail, the target's path, the seeker's
// cone and the event markers, built once from the run's data. The host's frame is x east, y up,
// z north (left-handed); the scene's is x east, y up, z south, so a host vector (x, y, z) is drawn
// at (x, y, -z).
'use strict';

const PHASES = [
  { name: 'carried', color: 0x8a96a8 },
  { name: 'boost', color: 0xff5a36 },
  { name: 'sustain', color: 0xffb347 },
  { name: 'glide', color: 0x4fc3f7 },
  { name: 'warhead burning', color: 0xff2dd4 },
];
const MARKED = ['release', 'motor_lit', 'booster_cut', 'lock', 'ignition', 'removal'];
const SEEKER_CONE_DEG = 5;  // the cone's full opening angle
const SEEKER_CONE_M = 1500;
// The target's path lies just above the grid, the part driven above the whole route so it shows.
const TARGET_PATH = { route: 0xffb3b3, driven: 0xff2d2d, routeLift: 0.3, drivenLift: 0.6 };

// The sample index at or before time t (0 before the first), by bisection.
function sampleAt(track, t) {
  let lo = 0, hi = track.t.length - 1;
  if (t <= track.t[0]) return 0;
  if (t >= track.t[hi]) return hi;
  while (hi - lo > 1) {
    const mid = (lo + hi) >> 1;
    if (track.t[mid] <= t) lo = mid; else hi = mid;
  }
  return lo;
}

// The body axes of a sample in the scene's frame, from the host's pitch, bank and heading.
function bodyAxes(track, i) {
  const sp = Math.sin(track.pitch[i]), cp = Math.cos(track.pitch[i]);
  const sb = Math.sin(track.bank[i]), cb = Math.cos(track.bank[i]);
  const sh = Math.sin(track.heading[i]), ch = Math.cos(track.heading[i]);
  const nose = new THREE.Vector3(cp * sh, sp, -cp * ch);
  const right0 = new THREE.Vector3(ch, 0, sh);
  const up0 = new THREE.Vector3(-sp * sh, cp, sp * ch);
  const right = right0.clone().multiplyScalar(cb).addScaledVector(up0, -sb);
  const up = right0.clone().multiplyScalar(sb).addScaledVector(up0, cb);
  return { right, up, nose };
}

// A round grid step (1, 2 or 5 times a power of ten, m) that splits `span` into about `parts`.
function niceStep(span, parts) {
  const raw = span / parts, power = Math.pow(10, Math.floor(Math.log10(raw)));
  return [1, 2, 5, 10].map((k) => k * power).find((s) => s >= raw);
}

function formatDistance(m) {
  return Math.abs(m) >= 1000 ? `${+(m / 1000).toFixed(2)} km` : `${+m.toFixed(0)} m`;
}

// The ground: a slab with a grid of round steps over the flight, distances along one edge and north.
function addGround(scene, overlay, box) {
  const size = box.getSize(new THREE.Vector3());
  const span = Math.max(size.x, size.z, 2000) * 1.3;
  const center = box.getCenter(new THREE.Vector3());
  const step = niceStep(span, 20);
  const cells = Math.ceil(span / step);
  // A slab rather than a plane, so the side view sees ground below the horizon.
  // Its depth is pushed back, so the grid and anything lying on it stay in front at any range.
  const ground = new THREE.Mesh(new THREE.BoxGeometry(cells * step * 3, span, cells * step * 3),
                                new THREE.MeshLambertMaterial({ color: 0x55704a, polygonOffset: true,
                                                                polygonOffsetFactor: 4, polygonOffsetUnits: 4 }));
  ground.position.set(center.x, -span / 2 - 0.05, center.z);
  scene.add(ground);
  const grid = new THREE.GridHelper(cells * step, cells, 0x2f4a2a, 0x3d5a36);
  grid.position.set(center.x, 0.02, center.z);
  scene.add(grid);
  const labelStep = step * Math.max(1, Math.ceil(cells / 10));
  // Distances from the missile's start along the grid's west or south edge, whichever runs with the
  // longer side of the flight.
  const half = cells * step / 2, northward = size.z >= size.x;
  const from = northward ? -(center.z + half) : center.x - half, to = from + 2 * half;
  for (let d = Math.ceil(from / labelStep) * labelStep; d <= to + 1e-6; d += labelStep) {
    const p = northward ? new THREE.Vector3(center.x - half, 0, -d) : new THREE.Vector3(d, 0, center.z + half);
    overlay.label(formatDistance(d), p, 'scale');
  }
  overlay.label('N \u2191', new THREE.Vector3(center.x, 0, center.z - half), 'scale');
  return { center, span, step };
}

// The trail: one vertex per sample from release on, coloured by phase; drawn up to the present.
function addTrail(scene, missile, at) {
  const positions = new Float32Array(missile.t.length * 3), colors = new Float32Array(missile.t.length * 3);
  const color = new THREE.Color();
  for (let i = 0; i < missile.t.length; ++i) {
    at(missile, i).toArray(positions, 3 * i);
    color.setHex(PHASES[missile.phase[i]].color).toArray(colors, 3 * i);
  }
  const trailGeometry = new THREE.BufferGeometry();
  trailGeometry.setAttribute('position', new THREE.BufferAttribute(positions, 3));
  trailGeometry.setAttribute('color', new THREE.BufferAttribute(colors, 3));
  const trail = new THREE.Line(trailGeometry, new THREE.LineBasicMaterial({ vertexColors: THREE.VertexColors }));
  trail.frustumCulled = false;
  scene.add(trail);
  return trail;
}

// The target's path over the ground, one vertex per sample: the whole route dashed, and the part
// driven so far solid (the player draws it up to the present). A still target's path has no length
// and is hidden.
function addTargetPath(scene, target, at, span) {
  const line = (lift, material) => {
    const positions = new Float32Array(target.t.length * 3);
    for (let i = 0; i < target.t.length; ++i) at(target, i).setY(lift).toArray(positions, 3 * i);
    const geometry = new THREE.BufferGeometry();
    geometry.setAttribute('position', new THREE.BufferAttribute(positions, 3));
    const made = new THREE.Line(geometry, material);
    made.frustumCulled = false;
    scene.add(made);
    return made;
  };
  const dash = span / 150;
  const route = line(TARGET_PATH.routeLift,
                     new THREE.LineDashedMaterial({ color: TARGET_PATH.route, dashSize: dash, gapSize: dash }));
  route.computeLineDistances();
  const driven = line(TARGET_PATH.drivenLift, new THREE.LineBasicMaterial({ color: TARGET_PATH.driven }));
  const distances = route.geometry.attributes.lineDistance;
  const length = distances.getX(distances.count - 1);
  route.visible = driven.visible = length > 0.5;
  return { route, driven, length };
}

// The seeker's cone: apex at the seeker, opening along where the head looks.
function addCone(scene) {
  const coneRadius = SEEKER_CONE_M * Math.tan(SEEKER_CONE_DEG / 2 * Math.PI / 180);
  const coneGeometry = new THREE.ConeGeometry(coneRadius, SEEKER_CONE_M, 32, 1, true);
  coneGeometry.translate(0, -SEEKER_CONE_M / 2, 0);  // apex at the origin, opening along -y
  const cone = new THREE.Mesh(coneGeometry, new THREE.MeshBasicMaterial({
    color: 0xfff176, transparent: true, opacity: 0.28, side: THREE.DoubleSide, depthWrite: false }));
  scene.add(cone);
  return cone;
}

// The milestones' markers on the missile's path. Events at one sample share a marker and a label
// ("release / motor lit").
function addMarkers(scene, overlay, data, missile, at) {
  const markers = [];
  const marked = MARKED.filter((name) => typeof data.milestones[name] === 'number')
    .sort((a, b) => data.milestones[a] - data.milestones[b]);
  for (const name of marked) {
    const t = data.milestones[name];
    const i = sampleAt(missile, t);
    const same = markers.find((m) => m.sample === i);
    if (same) {
      same.label.el.textContent += ` / ${name.replace('_', ' ')}`;
      continue;
    }
    const p = at(missile, i);
    const mark = new THREE.Mesh(new THREE.OctahedronGeometry(4), new THREE.MeshBasicMaterial({ color: 0xffe066 }));
    mark.position.copy(p);
    scene.add(mark);
    const label = overlay.label(name.replace('_', ' '), p, 'event');
    if (markers.length % 2 === 1) label.el.style.transform = 'translate(-50%,-260%)';  // neighbours alternate
    markers.push({ t, sample: i, mark, label });
  }
  return markers;
}

// Builds the scene from `data`; returns what the player moves each frame.
function buildScene(data, overlay) {
  const scene = new THREE.Scene();
  scene.background = new THREE.Color(0x9ec3e6);
  scene.add(new THREE.HemisphereLight(0xdfefff, 0x4a5a3a, 0.9));
  const sun = new THREE.DirectionalLight(0xffffff, 0.8);
  sun.position.set(3000, 6000, 2000);
  scene.add(sun);

  const byName = {};
  for (const v of data.vessels) byName[v.name] = v;
  const missile = byName[data.missile] || data.vessels[0];
  const target = byName[data.target] || null;

  // The scene's origin is the missile's first ground point, so coordinates stay small.
  const origin = new THREE.Vector3(missile.x[0], 0, -missile.z[0]);
  const at = (track, i) => new THREE.Vector3(track.x[i], track.y[i], -track.z[i]).sub(origin);
  const box = new THREE.Box3();
  for (const v of data.vessels) {
    for (let i = 0; i < v.t.length; ++i) box.expandByPoint(at(v, i));
  }
  const { center, span, step } = addGround(scene, overlay, box);

  const bodies = {};
  for (const v of data.vessels) {
    let model;
    if (v === missile) model = missileModel();
    else if (v === target) model = targetModel(data.targetSize || 10);
    else model = carrierModel();
    scene.add(model);
    bodies[v.name] = { track: v, model, dot: overlay.dot(v.name, v === target ? 'target' : v === missile ? 'missile' : 'other') };
  }

  const trail = addTrail(scene, missile, at);
  const targetPath = target && addTargetPath(scene, target, at, span);
  const firstFree = Math.max(0, missile.phase.findIndex((p) => p !== 0));
  const cone = addCone(scene);
  const markers = addMarkers(scene, overlay, data, missile, at);
  return { scene, at, center, span, step, missile, target, bodies, trail, targetPath, firstFree, cone, markers };
}
