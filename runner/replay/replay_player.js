function startReplay() {
  const started = performance.now();
  const data = JSON.parse(document.getElementById('karvex-data').textContent);
  const view = document.getElementById('view');
  const overlay = makeOverlay(view);
  const world = buildScene(data, overlay);
  const missile = world.missile;
  document.getElementById('wind-row').hidden = !missile.wind;  // still air shows no wind row
  const tStart = Math.min(...data.vessels.map((v) => v.t[0]));
  const tEnd = Math.max(...data.vessels.map((v) => v.t[v.t.length - 1]));

  const renderer = new THREE.WebGLRenderer({ antialias: true });
  renderer.setPixelRatio(window.devicePixelRatio);
  view.appendChild(renderer.domElement);

  const chase = new THREE.PerspectiveCamera(55, 1, 1, world.span * 4);
  const side = new THREE.OrthographicCamera(-1, 1, 1, -1, 1, world.span * 8);
  const top = new THREE.OrthographicCamera(-1, 1, 1, -1, 1, world.span * 8);
  // The side view looks across the line from the start to the end of the missile's flight.
  const last = missile.t.length - 1;
  const along = world.at(missile, last).sub(world.at(missile, 0)).setY(0);
  if (along.lengthSq() < 1) along.set(0, 0, -1);
  along.normalize();
  const across = new THREE.Vector3(-along.z, 0, along.x);
  side.position.copy(world.center).addScaledVector(across, world.span * 2);
  side.lookAt(world.center);
  top.position.set(world.center.x, world.span * 2, world.center.z);
  top.up.set(0, 0, -1);  // north up
  top.lookAt(world.center.x, 0, world.center.z);
  const cameras = { chase, side, top };
  const controls = {};
  for (const [name, camera] of Object.entries(cameras)) {
    const c = new THREE.OrbitControls(camera, renderer.domElement);
    c.enableKeys = false;
    c.enableRotate = name === 'chase';
    c.target.copy(name === 'chase' ? world.at(missile, 0) : world.center);
    c.update();  // the controls turned the camera to the origin when made
    c.enabled = name === 'chase';
    c.enablePan = name === 'side';  // the chase and top views follow the missile
    controls[name] = c;
  }
  const chaseOffset = new THREE.Vector3(14, 9, 36);  // behind, above and to the right, in the missile's heading frame
  let chaseHeading = null;

  const state = { t: tStart, playing: false, speed: 1, view: 'chase', lastFrame: performance.now() };
  const slider = document.getElementById('slider');
  slider.min = tStart;
  slider.max = tEnd;
  const hud = (id, text) => { document.getElementById(id).textContent = text; };

  const legend = document.getElementById('legend');
  for (const p of PHASES) {
    const row = document.createElement('div');
    row.innerHTML = `<i style="background:#${p.color.toString(16).padStart(6, '0')}"></i>`;
    row.appendChild(document.createTextNode(p.name));
    legend.appendChild(row);
  }
  const scale = document.createElement('div');
  scale.textContent = `grid ${formatDistance(world.step)}`;
  legend.appendChild(scale);

  function resize() {
    const w = view.clientWidth, h = view.clientHeight, aspect = w / Math.max(h, 1);
    renderer.setSize(w, h);
    chase.aspect = aspect;
    chase.updateProjectionMatrix();
    for (const camera of [side, top]) {
      const half = world.span / 2;
      const halfW = aspect >= 1 ? half * aspect : half, halfH = aspect >= 1 ? half : half / aspect;
      Object.assign(camera, { left: -halfW, right: halfW, top: halfH, bottom: -halfH });
      camera.updateProjectionMatrix();
    }
  }

  // The trail runs to the missile itself: the vertex after sample i is moved to where the missile
  // is now (and put back when the present moves on).
  const trailPositions = world.trail.geometry.attributes.position;
  let patched = -1;
  const patchedAt = new THREE.Vector3();
  function drawTrailTo(i, now) {
    if (patched >= 0) trailPositions.setXYZ(patched, patchedAt.x, patchedAt.y, patchedAt.z);
    patched = i + 1 < missile.t.length ? i + 1 : -1;
    if (patched >= 0) {
      patchedAt.fromBufferAttribute(trailPositions, patched);
      trailPositions.setXYZ(patched, now.x, now.y, now.z);
    }
    trailPositions.needsUpdate = true;
    const end = patched >= 0 ? patched + 1 : i + 1;
    world.trail.geometry.setDrawRange(world.firstFree, Math.max(0, end - world.firstFree));
  }

  // Puts every vessel, the trail, the cone and the markers where they were at time t.
  function place(t) {
    for (const body of Object.values(world.bodies)) {
      const track = body.track;
      const alive = t >= track.t[0] - 1e-9 && t <= track.t[track.t.length - 1] + 1e-9;
      body.model.visible = alive;
      body.dot.visible = alive;
      if (!alive) continue;
      const i = sampleAt(track, t), j = Math.min(i + 1, track.t.length - 1);
      const span = track.t[j] - track.t[i], f = span > 0 ? Math.min(1, Math.max(0, (t - track.t[i]) / span)) : 0;
      body.model.position.copy(world.at(track, i).lerp(world.at(track, j), f));
      const axes = bodyAxes(track, f < 0.5 ? i : j);
      const basis = new THREE.Matrix4().makeBasis(axes.right, axes.up, axes.nose.clone().negate());
      body.model.quaternion.setFromRotationMatrix(basis);
      body.dot.point.copy(body.model.position);
    }
    const i = sampleAt(missile, t);
    drawTrailTo(i, world.bodies[missile.name].model.position);
    const axes = bodyAxes(missile, i);
    const sx = Math.sin(missile.az[i]), sy = Math.sin(missile.el[i]);
    const look = axes.right.clone().multiplyScalar(sx).addScaledVector(axes.up, sy)
      .addScaledVector(axes.nose, Math.sqrt(Math.max(0, 1 - sx * sx - sy * sy)));
    const m = world.bodies[missile.name].model;
    world.cone.visible = m.visible;
    world.cone.position.copy(m.position).addScaledVector(axes.nose, 1.8);
    world.cone.quaternion.setFromUnitVectors(new THREE.Vector3(0, -1, 0), look.normalize());
    for (const marker of world.markers) {
      marker.mark.visible = t >= marker.t - 1e-9;
      marker.label.visible = marker.mark.visible;
    }
    return i;
  }

  function seekerState(t) {
    const ms = data.milestones;
    if (typeof ms.removal === 'number' && t >= ms.removal) return 'removed';
    if (typeof ms.impact === 'number' && t >= ms.impact) return 'impact';
    if (typeof ms.lock === 'number' && t >= ms.lock) return 'LOCKED';
    return 'searching';
  }

  function updatePanel(t, i) {
    hud('hud-time', `${t.toFixed(2)} s`);
    hud('hud-alt', `${missile.alt[i].toFixed(0)} m`);
    hud('hud-speed', `${missile.speed[i].toFixed(0)} m/s`);
    hud('hud-mach', missile.mach[i].toFixed(2));
    hud('hud-attitude', `${(missile.pitch[i] * DEG).toFixed(1)}\u00b0 / ${(missile.bank[i] * DEG).toFixed(1)}\u00b0`);
    hud('hud-head', `${(missile.az[i] * DEG).toFixed(1)}\u00b0 / ${(missile.el[i] * DEG).toFixed(1)}\u00b0`);
    hud('hud-seeker', seekerState(t));
    hud('hud-phase', PHASES[missile.phase[i]].name);
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
  }

  function followWithChase(i) {
    const m = world.bodies[missile.name].model;
    const heading = missile.heading[i];
    const c = controls.chase;
    if (chaseHeading !== null) {
      // Keep the offset the user orbited to, turned with the missile's heading.
      chaseOffset.copy(chase.position).sub(c.target).applyAxisAngle(new THREE.Vector3(0, 1, 0), chaseHeading);
    }
    chaseHeading = heading;
    c.target.copy(m.position);
    chase.position.copy(m.position).add(chaseOffset.clone().applyAxisAngle(new THREE.Vector3(0, 1, 0), -heading));
    c.update();
  }

  let drawing = false, dirty = false;
  function draw() {
    drawing = true;  // the chase camera's controls report the move draw makes itself: not a user's
    const i = place(state.t);
    if (state.view === 'chase') followWithChase(i);
    if (state.view === 'top') {
      // Straight above the missile, at the scale the mouse wheel set.
      const m = world.bodies[missile.name].model.position;
      top.position.set(m.x, world.span * 2, m.z);
      controls.top.target.set(m.x, 0, m.z);
    }
    updatePanel(state.t, i);
    const camera = cameras[state.view];
    renderer.render(world.scene, camera);
    overlay.update(camera, view.clientWidth, view.clientHeight);
    drawing = false;
    dirty = false;
  }

  function seek(t) {
    state.t = Math.min(tEnd, Math.max(tStart, t));
    draw();
  }

  function setPlaying(on) {
    state.playing = on && state.t < tEnd;
    state.lastFrame = performance.now();
    document.getElementById('play').textContent = state.playing ? 'pause' : 'play';
  }

  function setView(name) {
    state.view = name;
    for (const [n, c] of Object.entries(controls)) c.enabled = n === name;
    document.querySelectorAll('[data-view]').forEach((b) => b.classList.toggle('on', b.dataset.view === name));
    draw();
  }

  function step(direction) {
    const i = sampleAt(missile, state.t);
    const onSample = Math.abs(missile.t[i] - state.t) < 1e-9;
    const k = direction > 0 ? i + 1 : (onSample ? i - 1 : i);
    setPlaying(false);
    seek(missile.t[Math.min(missile.t.length - 1, Math.max(0, k))]);
  }

  document.getElementById('play').addEventListener('click', () => setPlaying(!state.playing));
  slider.addEventListener('input', () => { setPlaying(false); seek(parseFloat(slider.value)); });
  document.querySelectorAll('[data-speed]').forEach((b) => b.addEventListener('click', () => {
    state.speed = parseFloat(b.dataset.speed);
    document.querySelectorAll('[data-speed]').forEach((o) => o.classList.toggle('on', o === b));
  }));
  document.querySelectorAll('[data-view]').forEach((b) => b.addEventListener('click', () => setView(b.dataset.view)));
  window.addEventListener('keydown', (e) => {
    const keys = { ' ': () => setPlaying(!state.playing), ArrowRight: () => step(1), ArrowLeft: () => step(-1),
                   c: () => setView('chase'), s: () => setView('side'), t: () => setView('top') };
    const action = keys[e.key];
    if (action && !e.ctrlKey && !e.altKey && !e.metaKey) {
      e.preventDefault();  // a focused button or the slider would act on the key too
      action();
    }
  });
  window.addEventListener('resize', () => { resize(); draw(); });
  for (const c of Object.values(controls)) c.addEventListener('change', () => { dirty = dirty || !drawing; });

  function frame(now) {
    if (state.playing) {
      state.t = Math.min(tEnd, state.t + (now - state.lastFrame) / 1000 * state.speed);
      state.lastFrame = now;
      if (state.t >= tEnd) setPlaying(false);
      draw();
    } else if (dirty) {
      draw();
    }
    requestAnimationFrame(frame);
  }

  resize();
  seek(tStart);
  requestAnimationFrame(frame);

  // For scripts driving the page (the browser tests): where a vessel is drawn, in page pixels.
  window.karvexReplay = {
    buildMs: performance.now() - started,  // building the scene and the first frame
    openedMs: performance.now(),  // since the page was asked for
    tStart, tEnd, data, seek, setView,
    state: () => ({ t: state.t, playing: state.playing, speed: state.speed, view: state.view }),
    screenOf(name) {
      const p = world.bodies[name].model.position.clone().project(cameras[state.view]);
      const r = renderer.domElement.getBoundingClientRect();
      return { x: r.left + (p.x + 1) / 2 * r.width, y: r.top + (1 - p.y) / 2 * r.height };
    },
  };
}

startReplay();
