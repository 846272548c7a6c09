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

// The picture as bitmaps, which the page shows without copying them on its
// own thread: the whole map in at most `most` pixels, and any part of it
// as large as the page shows it.
let picture = null;  // { name, image } of the view last drawn
async function view(name, most) {
    const pixels = map.canvasPixels(name === 'coastline', name === 'relief');
    picture = { name, image: new ImageData(pixels, made.width, made.height) };
    const shrink = Math.min(1, Math.sqrt(most / (made.width * made.height)));
    const bitmap = await createImageBitmap(picture.image, shrink < 1 ? {
        resizeWidth: Math.max(1, Math.round(made.width * shrink)),
        resizeHeight: Math.max(1, Math.round(made.height * shrink)), resizeQuality: 'medium',
    } : {});
    postMessage({ type: 'pixels', view: name, bitmap }, [bitmap]);
}

async function part({ view: name, x, y, width, height, shownWidth, shownHeight, asked }) {
    if (picture?.name !== name) return;
    const bitmap = await createImageBitmap(picture.image, x, y, width, height, shownWidth < width ? {
        resizeWidth: shownWidth, resizeHeight: shownHeight, resizeQuality: 'medium',
    } : {});
    postMessage({ type: 'part', view: name, bitmap, x, y, width, height, asked }, [bitmap]);
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

const kTypes = { bmp: 'image/bmp', png: 'image/png', json: 'application/json', zip: 'application/zip' };

onmessage = async ({ data }) => {
    try {
        switch (data.type) {
            case 'run': return run(data.settings);
            case 'view': return await view(data.view, data.most);
            case 'part': return await part(data);
            case 'heights': return heights();
            case 'file': {
                // A blob made here reaches the page without a copy on its thread.
                const [name, bytes] = file(data.what, data.base, data.coastline);
                const type = kTypes[name.split('.').pop()] ?? 'application/octet-stream';
                return postMessage({ type: 'file', what: data.what, name, blob: new Blob([bytes], { type }) });
            }
        }
    } catch (error) {
        postMessage({ type: 'failed', what: data.type === 'file' ? data.what : data.type,
            message: error?.message ?? String(error) });
    }
};
postMessage({ type: 'ready', limits: core.limits() });
