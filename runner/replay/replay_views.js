// The three camera views: a chase view behind the missile that the mouse orbits, a side view
// across its flight that the mouse pans, and a top view above it, north up, that the wheel zooms.
'use strict';

// Makes the cameras and their mouse controls on `renderer`'s canvas.
function makeViews(world, renderer) {
  const missile = world.missile;
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

  return {
    cameras, controls,
    // Fits the cameras to a view `w` by `h` pixels.
    resize(w, h) {
      const aspect = w / Math.max(h, 1);
      chase.aspect = aspect;
      chase.updateProjectionMatrix();
      for (const camera of [side, top]) {
        const half = world.span / 2;
        const halfW = aspect >= 1 ? half * aspect : half, halfH = aspect >= 1 ? half : half / aspect;
        Object.assign(camera, { left: -halfW, right: halfW, top: halfH, bottom: -halfH });
        camera.updateProjectionMatrix();
      }
    },
    // Moves the view `name`'s camera with the missile, at its sample i.
    follow(name, i) {
      if (name === 'chase') followWithChase(i);
      if (name === 'top') {
        // Straight above the missile, at the scale the mouse wheel set.
        const m = world.bodies[missile.name].model.position;
        top.position.set(m.x, world.span * 2, m.z);
        controls.top.target.set(m.x, 0, m.z);
      }
    },
  };
}
