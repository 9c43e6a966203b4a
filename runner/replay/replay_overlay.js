// Text pinned over the 3D view: the vessels' names, the grid's distances and the events' labels.
'use strict';

const DEG = 180 / Math.PI;

// Text pinned over the 3D view at a scene point, so labels keep their size in every view.
function makeOverlay(parent) {
  const items = [];
  const add = (text, point, style) => {
    const el = document.createElement('div');
    el.textContent = text;
    el.style.cssText = 'position:absolute;pointer-events:none;white-space:nowrap;transform:translate(-50%,-140%);' +
                       'font:11px system-ui,sans-serif;text-shadow:0 0 3px #000;' + style;
    parent.appendChild(el);
    const item = { el, point: point ? point.clone() : new THREE.Vector3(), visible: true };
    items.push(item);
    return item;
  };
  return {
    label: (text, point, kind) => add(text, point, kind === 'event' ? 'color:#ffe066' : 'color:#e8f1d8'),
    dot: (name, kind) => {
      const colour = { missile: '#ffffff', target: '#ff5a5a', other: '#9cc3ff' }[kind];
      const item = add(name, null, `color:${colour}`);
      const dot = document.createElement('span');
      dot.style.cssText = `position:absolute;left:50%;top:140%;width:6px;height:6px;margin:-3px;border-radius:50%;` +
                          `background:${colour};box-shadow:0 0 2px #000`;
      item.el.appendChild(dot);
      return item;
    },
    update(camera, width, height) {
      const p = new THREE.Vector3();
      for (const item of items) {
        p.copy(item.point).project(camera);
        const shown = item.visible && p.z < 1 && Math.abs(p.x) < 1.2 && Math.abs(p.y) < 1.2;
        item.el.style.display = shown ? '' : 'none';
        item.el.style.left = `${(p.x + 1) / 2 * width}px`;
        item.el.style.top = `${(1 - p.y) / 2 * height}px`;
      }
    },
  };
}
