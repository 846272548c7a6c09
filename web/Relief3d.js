// The land in 3-D: the heightmap as a mesh, lit from the north-west, in
// the map's colours, with the sea a plane at its level; orbit, zoom and pan
// with the mouse, touch or the keyboard (arrows pan, with Shift orbit; + and
// - zoom). A large map's mesh is coarser than its cells; its picture keeps
// them all.
import * as THREE from 'three';
import { OrbitControls } from './vendor/OrbitControls.js';

const kMostSegments = 512;
// Heights as tall as a tenth of the map's longer side: gentle land still
// shows its form.
const kRelief = 0.1;

export class Relief3d {
    constructor(canvas) {
        this.canvas = canvas;
        this.renderer = new THREE.WebGLRenderer({ canvas, antialias: true, preserveDrawingBuffer: true });
        this.renderer.setPixelRatio(window.devicePixelRatio);
        this.scene = new THREE.Scene();
        this.scene.background = new THREE.Color(0x9db8d0);
        this.camera = new THREE.PerspectiveCamera(45, 1, 0.001, 100);
        this.scene.add(new THREE.HemisphereLight(0xffffff, 0x445566, 1.2));
        const sun = new THREE.DirectionalLight(0xffffff, 2.2);
        sun.position.set(-1, 1.2, -1);
        this.scene.add(sun);
        this.controls = new OrbitControls(this.camera, canvas);
        this.controls.listenToKeyEvents(canvas);
        this.controls.keys = { LEFT: 'ArrowLeft', UP: 'ArrowUp', RIGHT: 'ArrowRight', BOTTOM: 'ArrowDown' };
        this.controls.enableDamping = true;
        this.controls.maxPolarAngle = Math.PI * 0.49;
        canvas.tabIndex = 0;
        canvas.addEventListener('keydown', (event) => {
            if (event.key === '+' || event.key === '=') this.dolly(0.8);
            if (event.key === '-') this.dolly(1.25);
        });
        this.land = null;
        this.sea = null;
        new ResizeObserver(() => this.resize()).observe(canvas);
        this.renderer.setAnimationLoop(() => {
            if (this.canvas.hidden || !this.land) return;
            this.controls.update();
            this.renderer.render(this.scene, this.camera);
        });
    }

    resize() {
        const { clientWidth, clientHeight } = this.canvas;
        if (clientWidth === 0 || clientHeight === 0) return;
        this.renderer.setSize(clientWidth, clientHeight, false);
        this.camera.aspect = clientWidth / clientHeight;
        this.camera.updateProjectionMatrix();
    }

    dolly(factor) {
        const offset = this.camera.position.clone().sub(this.controls.target).multiplyScalar(factor);
        this.camera.position.copy(this.controls.target).add(offset);
    }

    // The map's picture (an ImageBitmap) over its heightmap's values (width
    // x height, from the top row), the sea at seaLevel of them.
    show(picture, { width, height }, values, seaLevel) {
        this.clear();
        const longer = Math.max(width, height);
        const across = width / longer;
        const down = height / longer;
        const columns = Math.max(1, Math.min(kMostSegments, width - 1));
        const rows = Math.max(1, Math.min(kMostSegments, height - 1));
        const geometry = new THREE.PlaneGeometry(across, down, columns, rows);
        geometry.rotateX(-Math.PI / 2);
        const position = geometry.attributes.position;
        for (let row = 0, vertex = 0; row <= rows; ++row) {
            const y = Math.round((row / rows) * (height - 1));
            for (let column = 0; column <= columns; ++column, ++vertex) {
                const x = Math.round((column / columns) * (width - 1));
                position.setY(vertex, (values[y * width + x] / 65535) * kRelief);
            }
        }
        geometry.computeVertexNormals();
        // A bitmap's rows are not flipped on their way to the GPU: the
        // texture's rows run the other way.
        const uv = geometry.attributes.uv;
        for (let i = 0; i < uv.count; ++i) uv.setY(i, 1 - uv.getY(i));
        const texture = new THREE.Texture(picture);
        texture.flipY = false;
        texture.colorSpace = THREE.SRGBColorSpace;
        texture.anisotropy = this.renderer.capabilities.getMaxAnisotropy();
        texture.needsUpdate = true;
        this.land = new THREE.Mesh(geometry, new THREE.MeshLambertMaterial({ map: texture }));
        this.scene.add(this.land);
        const seaGeometry = new THREE.PlaneGeometry(across, down);
        seaGeometry.rotateX(-Math.PI / 2);
        this.sea = new THREE.Mesh(seaGeometry, new THREE.MeshLambertMaterial({
            color: 0x2f6fae, transparent: true, opacity: 0.55, depthWrite: false,
        }));
        this.sea.position.y = (seaLevel / 65535) * kRelief + 0.0005;
        this.scene.add(this.sea);
        this.camera.position.set(0, 0.8, 0.9);
        this.controls.target.set(0, (seaLevel / 65535) * kRelief, 0);
        this.controls.update();
        this.resize();
    }

    clear() {
        for (const mesh of [this.land, this.sea]) {
            if (!mesh) continue;
            this.scene.remove(mesh);
            mesh.geometry.dispose();
            mesh.material.map?.image?.close?.();
            mesh.material.map?.dispose();
            mesh.material.dispose();
        }
        this.land = null;
        this.sea = null;
    }
}
