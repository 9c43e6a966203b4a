// The replay's player: the time shown, playback, and the frame loop that draws the scene at it.
'use strict';

// Playback's state (time, s; playing; speed; view) and the actions the controls take on it;
// `draw` draws the scene at the state.
function makePlayer(missile, views, tStart, tEnd, draw) {
  const state = { t: tStart, playing: false, speed: 1, view: 'chase', lastFrame: performance.now() };
  const player = {
    state,
    seek(t) {
      state.t = Math.min(tEnd, Math.max(tStart, t));
      draw();
    },
    setPlaying(on) {
      state.playing = on && state.t < tEnd;
      state.lastFrame = performance.now();
      document.getElementById('play').textContent = state.playing ? 'pause' : 'play';
    },
    setView(name) {
      state.view = name;
      for (const [n, c] of Object.entries(views.controls)) c.enabled = n === name;
      document.querySelectorAll('[data-view]').forEach((b) => b.classList.toggle('on', b.dataset.view === name));
      draw();
    },
    // One sample of the missile's forward (direction > 0) or back, pausing playback.
    step(direction) {
      const i = sampleAt(missile, state.t);
      const onSample = Math.abs(missile.t[i] - state.t) < 1e-9;
      const k = direction > 0 ? i + 1 : (onSample ? i - 1 : i);
      player.setPlaying(false);
      player.seek(missile.t[Math.min(missile.t.length - 1, Math.max(0, k))]);
    },
  };
  return player;
}

function startReplay() {
  const started = performance.now();
  const data = JSON.parse(document.getElementById('karvex-data').textContent);
  const view = document.getElementById('view');
  const overlay = makeOverlay(view);
  const world = buildScene(data, overlay);
  const tStart = Math.min(...data.vessels.map((v) => v.t[0]));
  const tEnd = Math.max(...data.vessels.map((v) => v.t[v.t.length - 1]));

  const renderer = new THREE.WebGLRenderer({ antialias: true });
  renderer.setPixelRatio(window.devicePixelRatio);
  view.appendChild(renderer.domElement);
  const views = makeViews(world, renderer);
  const place = makeMotion(world);
  const updatePanel = makePanel(data, world.missile, world.target, tEnd);
  buildLegend(world);
  document.getElementById('slider').min = tStart;
  document.getElementById('slider').max = tEnd;

  let drawing = false, dirty = false;
  const player = makePlayer(world.missile, views, tStart, tEnd, () => {
    drawing = true;  // the chase camera's controls report the move draw makes itself: not a user's
    const i = place(player.state.t);
    views.follow(player.state.view, i);
    updatePanel(player.state.t, i);
    const camera = views.cameras[player.state.view];
    renderer.render(world.scene, camera);
    overlay.update(camera, view.clientWidth, view.clientHeight);
    drawing = false;
    dirty = false;
  });
  const state = player.state;
  const resize = () => {
    renderer.setSize(view.clientWidth, view.clientHeight);
    views.resize(view.clientWidth, view.clientHeight);
  };
  wireControls(player);
  window.addEventListener('resize', () => { resize(); player.seek(state.t); });
  for (const c of Object.values(views.controls)) c.addEventListener('change', () => { dirty = dirty || !drawing; });

  function frame(now) {
    if (state.playing) {
      state.t = Math.min(tEnd, state.t + (now - state.lastFrame) / 1000 * state.speed);
      state.lastFrame = now;
      if (state.t >= tEnd) player.setPlaying(false);
      player.seek(state.t);
    } else if (dirty) {
      player.seek(state.t);
    }
    requestAnimationFrame(frame);
  }

  resize();
  player.seek(tStart);
  requestAnimationFrame(frame);

  // For scripts driving the page (the browser tests): where a vessel is drawn, in page pixels.
  window.karvexReplay = {
    buildMs: performance.now() - started,  // building the scene and the first frame
    openedMs: performance.now(),  // since the page was asked for
    tStart, tEnd, data, seek: player.seek, setView: player.setView, targetPath: world.targetPath,
    state: () => ({ t: state.t, playing: state.playing, speed: state.speed, view: state.view }),
    screenOf(name) {
      const p = world.bodies[name].model.position.clone().project(views.cameras[state.view]);
      const r = renderer.domElement.getBoundingClientRect();
      return { x: r.left + (p.x + 1) / 2 * r.width, y: r.top + (1 - p.y) / 2 * r.height };
    },
  };
}

startReplay();
