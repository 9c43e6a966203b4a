// The scene's state at a time: every vessel where it was, the trail up to the missile, the target's
// path as far as it drove, the seeker's cone where its head looked, and the markers of the
// milestones passed.
'use strict';

// Returns drawTo(i, now), which draws `line` (one vertex per sample of `track`) from its vertex
// `first` up to the present: the vertex after sample i is moved to `now` (and put back when the
// present moves on).
function makeLineTo(line, track, first) {
  const positions = line.geometry.attributes.position;
  let patched = -1;
  const patchedAt = new THREE.Vector3();
  return function drawTo(i, now) {
    if (patched >= 0) positions.setXYZ(patched, patchedAt.x, patchedAt.y, patchedAt.z);
    patched = i + 1 < track.t.length ? i + 1 : -1;
    if (patched >= 0) {
      patchedAt.fromBufferAttribute(positions, patched);
      positions.setXYZ(patched, now.x, now.y, now.z);
    }
    positions.needsUpdate = true;
    const end = patched >= 0 ? patched + 1 : i + 1;
    line.geometry.setDrawRange(first, Math.max(0, end - first));
  };
}

// Returns place(t), which moves the scene to time t (s) and gives the missile's sample there.
function makeMotion(world) {
  const missile = world.missile, target = world.target;
  // The trail runs to the missile itself, the target's driven path to the target.
  const drawTrailTo = makeLineTo(world.trail, missile, world.firstFree);
  const drawDrivenTo = world.targetPath && makeLineTo(world.targetPath.driven, target, 0);
  function drawDrivenAt(t) {
    const now = world.bodies[target.name].model.position.clone().setY(TARGET_PATH.drivenLift);
    if (t < target.t[0]) world.targetPath.driven.geometry.setDrawRange(0, 0);  // before the target is there
    else drawDrivenTo(sampleAt(target, t), now);
  }

  // Each vessel between its samples, shown only while it lives.
  function placeBodies(t) {
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
  }

  // The cone at the seeker, along the head's azimuth and elevation off the nose.
  function placeCone(i) {
    const axes = bodyAxes(missile, i);
    const sx = Math.sin(missile.az[i]), sy = Math.sin(missile.el[i]);
    const look = axes.right.clone().multiplyScalar(sx).addScaledVector(axes.up, sy)
      .addScaledVector(axes.nose, Math.sqrt(Math.max(0, 1 - sx * sx - sy * sy)));
    const m = world.bodies[missile.name].model;
    world.cone.visible = m.visible;
    world.cone.position.copy(m.position).addScaledVector(axes.nose, 1.8);
    world.cone.quaternion.setFromUnitVectors(new THREE.Vector3(0, -1, 0), look.normalize());
  }

  return function place(t) {
    placeBodies(t);
    const i = sampleAt(missile, t);
    drawTrailTo(i, world.bodies[missile.name].model.position);
    if (drawDrivenTo) drawDrivenAt(t);
    placeCone(i);
    for (const marker of world.markers) {
      marker.mark.visible = t >= marker.t - 1e-9;
      marker.label.visible = marker.mark.visible;
    }
    return i;
  };
}
