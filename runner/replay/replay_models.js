// The vessels' models: the missile, the carrier and the target, in the scene's units (m).
'use strict';

// Models point their nose along -z, as three.js cameras look.
function missileModel() {
  const group = new THREE.Group();
  const skin = new THREE.MeshLambertMaterial({ color: 0xdfe6ee });
  const body = new THREE.Mesh(new THREE.CylinderGeometry(0.15, 0.15, 2.6, 16), skin);
  body.rotation.x = Math.PI / 2;
  const nose = new THREE.Mesh(new THREE.ConeGeometry(0.15, 0.5, 16), skin);
  nose.rotation.x = -Math.PI / 2;
  nose.position.z = -1.55;
  group.add(body, nose);
  for (let k = 0; k < 4; ++k) {
    const fin = new THREE.Mesh(new THREE.BoxGeometry(0.02, 0.5, 0.4), skin);
    fin.position.set(0.3 * Math.cos(k * Math.PI / 2), 0.3 * Math.sin(k * Math.PI / 2), 1.0);
    fin.rotation.z = k * Math.PI / 2;
    group.add(fin);
  }
  return group;
}

function carrierModel() {
  const group = new THREE.Group();
  const skin = new THREE.MeshLambertMaterial({ color: 0x6f8fb8 });
  group.add(new THREE.Mesh(new THREE.BoxGeometry(1.6, 1.6, 15), skin));
  group.add(new THREE.Mesh(new THREE.BoxGeometry(13, 0.25, 3), skin));
  const tail = new THREE.Mesh(new THREE.BoxGeometry(0.25, 3, 2), skin);
  tail.position.set(0, 1.5, 6.5);
  group.add(tail);
  return group;
}

function targetModel(size) {
  const group = new THREE.Group();
  const box = new THREE.Mesh(new THREE.BoxGeometry(size, size, size),
                             new THREE.MeshLambertMaterial({ color: 0xd43c3c }));
  group.add(box);
  const ring = new THREE.Mesh(new THREE.RingGeometry(size * 1.5, size * 1.8, 48),
                              new THREE.MeshBasicMaterial({ color: 0xff6b6b, side: THREE.DoubleSide }));
  ring.rotation.x = -Math.PI / 2;
  ring.userData.onGround = true;
  group.add(ring);
  return group;
}
