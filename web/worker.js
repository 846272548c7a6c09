// Makes maps off the page's thread, with the same core as the program: the
// circles a batch at a time, each batch's progress told, then the rest;
// and every file of the map, encoded here too, so that the page never
// waits on one. The page stops a run by ending this worker; the map of its
// last finished run stays here for its views and files.
import MorvikCore from './morvik-core.mjs';
import { zipSync } from './vendor/fflate.mjs';
import { kLayer, kMasks, layerFile } from './LayerFiles.js';
import { mapPng } from './PngFile.js';

const core = await MorvikCore();
let map = null;
let made = null;  // its settings

// About a frame's work at the largest size.
const kCirclesPerBatch = 4096;

function run(settings) {
    const started = performance.now();
    if (map) map.delete();
    map = null;
    postMessage({ type: 'started',
        smallestFullTick: core.smallestFullTick(settings.width, settings.height) });
    const next = new core.WebMap(settings);
    const total = next.totalIterations();
    while (next.takeCircles(kCirclesPerBatch)) {
        postMessage({ type: 'progress', step: 'circles', share: next.iterationsDone() / total });
    }
    next.finish((share) => postMessage({ type: 'progress', step: 'erosion', share }));
    map = next;
    made = settings;
    const packFaults = Object.fromEntries(['unreal', 'unity', 'godot'].map((engine) =>
        [engine, map.packFault(engine)]));
    postMessage({ type: 'made', ms: performance.now() - started, seaLevel: map.heightmapSeaLevel(),
        packFaults });
}

function view(name) {
    const pixels = map.canvasPixels(name === 'coastline', name === 'relief');
    postMessage({ type: 'pixels', view: name, pixels }, [pixels.buffer]);
}

function heights() {
    const values = map.heightmapValues();
    postMessage({ type: 'heights', values, seaLevel: map.heightmapSeaLevel() }, [values.buffer]);
}

const layer = (of, name, { normalY = 0, mask = 0 } = {}) =>
    layerFile(of, name, made.width, made.height, map.layerRows(of, normalY, mask));
const text = (value) => new TextEncoder().encode(value);
// PNG files are compressed already: the zip stores them.
const zip = (entries) => zipSync(Object.fromEntries(entries.map(([name, bytes]) =>
    [name, [bytes, { level: name.endsWith('.png') || name.endsWith('.exr') ? 0 : 6 }]])));

// One file of the map shown, by what the page asks for, named from `base`.
function file(what, base, coastline) {
    const shown = `${base}${coastline ? '-coastline' : ''}`;
    switch (what) {
        case 'bmp': return [`${shown}.bmp`, map.bmpFile(coastline)];
        case 'png': return [`${shown}.png`, mapPng(map.bmpFile(coastline))];
        case 'heightmapPng':
        case 'heightmapR16': {
            const name = `${base}-heightmap.${what === 'heightmapPng' ? 'png' : 'r16'}`;
            return [name, layer(kLayer.heightmap, name)];
        }
        case 'heightmapExr': return [`${base}-heightmap.exr`, layer(kLayer.floatHeights, '.exr')];
        case 'normal': return [`${base}-normal.png`, layer(kLayer.normal, '.png')];
        case 'flow': return [`${base}-flow.png`, layer(kLayer.flow, '.png')];
        case 'masks': return [`${base}-masks.zip`, zip(kMasks.map((name, mask) =>
            [`${base}_${name}.png`, layer(kLayer.mask, '.png', { mask })]))];
        case 'json': return [`${base}.json`,
            text(map.json(coastline, `${shown}.bmp`, `${base}-heightmap.png`))];
    }
    const engine = what.replace(/^pack-/, '');
    const pack = map.pack(engine);
    const folder = `${base}-${engine}`;
    return [`${folder}.zip`, zip([
        ...pack.files.map((entry) => [`${folder}/${entry.name}`, layer(entry.of, entry.name, entry)]),
        [`${folder}/README.txt`, text(pack.readme)]])];
}

onmessage = ({ data }) => {
    try {
        switch (data.type) {
            case 'run': return run(data.settings);
            case 'view': return view(data.view);
            case 'heights': return heights();
            case 'file': {
                const [name, bytes] = file(data.what, data.base, data.coastline);
                return postMessage({ type: 'file', what: data.what, name, bytes }, [bytes.buffer]);
            }
        }
    } catch (error) {
        postMessage({ type: 'failed', what: data.type === 'file' ? data.what : data.type,
            message: error?.message ?? String(error) });
    }
};
postMessage({ type: 'ready', limits: core.limits() });
