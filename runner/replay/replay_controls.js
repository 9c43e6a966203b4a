// The controls: the play button, the time slider, the speed and view buttons, and the keyboard
// (space plays or pauses, the arrows step a sample, c, s and t pick a view).
'use strict';

// Wires the page's controls to `player`: its state, setPlaying(on), seek(t), setView(name) and
// step(direction).
function wireControls(player) {
  const state = player.state;
  const slider = document.getElementById('slider');
  document.getElementById('play').addEventListener('click', () => player.setPlaying(!state.playing));
  slider.addEventListener('input', () => { player.setPlaying(false); player.seek(parseFloat(slider.value)); });
  document.querySelectorAll('[data-speed]').forEach((b) => b.addEventListener('click', () => {
    state.speed = parseFloat(b.dataset.speed);
    document.querySelectorAll('[data-speed]').forEach((o) => o.classList.toggle('on', o === b));
  }));
  document.querySelectorAll('[data-view]').forEach((b) => b.addEventListener('click', () => player.setView(b.dataset.view)));
  window.addEventListener('keydown', (e) => {
    const keys = { ' ': () => player.setPlaying(!state.playing), ArrowRight: () => player.step(1),
                   ArrowLeft: () => player.step(-1), c: () => player.setView('chase'),
                   s: () => player.setView('side'), t: () => player.setView('top') };
    const action = keys[e.key];
    if (action && !e.ctrlKey && !e.altKey && !e.metaKey) {
      e.preventDefault();  // a focused button or the slider would act on the key too
      action();
    }
  });
}
