// Makes maps off the page's thread, with the same core as the program: the
// circles a batch at a time, each batch's progress told, then the finish.
// The page stops a run by ending this worker; the map of the last finished
// run stays here for its views and files.
import MorvikCore from './morvik-core.mjs';

const core = await MorvikCore();
let map = null;

// About a frame's work at the largest size.
const kCirclesPerBatch = 4096;

function run(settings) {
    const started = performance.now();
    if (map) map.delete();
    map = new core.WebMap(settings);
    const total = map.totalIterations();
    while (map.takeCircles(kCirclesPerBatch)) {
        postMessage({ type: 'progress', done: map.iterationsDone(), total });
    }
    map.finish();
    postMessage({ type: 'progress', done: total, total, ms: performance.now() - started });
    view(false);
}

function view(coastline) {
    const pixels = map.canvasPixels(coastline);
    postMessage({ type: 'view', coastline, pixels }, [pixels.buffer]);
}

function bmpFile(coastline) {
    const bytes = map.bmpFile(coastline);
    postMessage({ type: 'bmp', coastline, bytes }, [bytes.buffer]);
}

function heightmap() {
    const values = map.heightmapValues();
    postMessage({ type: 'heightmap', values, seaLevel: map.heightmapSeaLevel() }, [values.buffer]);
}

onmessage = ({ data }) => {
    switch (data.type) {
        case 'run': return run(data.settings);
        case 'view': return view(data.coastline);
        case 'bmp': return bmpFile(data.coastline);
        case 'heightmap': return heightmap();
    }
};
postMessage({ type: 'ready', limits: core.limits() });
