// The page: the control window's settings, a run in a worker, the map on a
// canvas at one pixel a cell, its two views, and its files. The settings and
// the tick of the last map are in the address, so that a link makes it again.
import { heightmapPng, palettePng } from './PngFile.js';

const japanese = (navigator.languages[0] || navigator.language || '').startsWith('ja');

// The program's own words; in English with them beside.
const kWords = {
    width: ['横幅', 'Width'], height: ['縦幅', 'Height'],
    roughness: ['粗さ', 'Roughness'], coarse: ['粗', 'coarse'], fine: ['細', 'fine'],
    sea: ['海の割合', 'Sea'], seaEnd: ['海', 'sea'], landEnd: ['陸', 'land'],
    tick: ['ティック（空欄で毎回新しい地図）', 'Tick (empty: a new map each time)'],
    madeTick: ['この地図のティック', "This map's tick"],
    create: ['作成', 'Create'], abort: ['中断', 'Abort'],
    coastline: ['海岸線のみ', 'Coastline only'], normal: ['通常表示', 'Normal view'],
    saveBmp: ['BMP を保存', 'Save BMP'], savePng: ['PNG を保存', 'Save PNG'],
    saveHeightmap: ['高さマップ (16 ビット PNG)', 'Heightmap (16-bit PNG)'],
};
function say(key) {
    const [ja, en] = kWords[key];
    return japanese ? ja : `${en}<small lang="ja">${ja}</small>`;
}

// Each input, its name in messages, its key in the address and in the
// core's limits.
const kFields = {
    width: { name: ['横幅', 'The width'], param: 'w', setting: 'width' },
    height: { name: ['縦幅', 'The height'], param: 'h', setting: 'height' },
    roughness: { name: ['粗さ', 'The roughness'], param: 'r', setting: 'roughness' },
    sea: { name: ['海の割合', 'The sea share'], param: 's', setting: 'seaShare' },
};
const kMostTick = 4294967295;

const $ = (id) => document.getElementById(id);
const inputs = { width: $('width'), height: $('height'), roughness: $('roughness'), sea: $('sea') };
let limits = null;  // the core's ranges and defaults, once it is loaded
let worker = null;
let ready = false;  // whether the worker has loaded the core
let running = false;
let coastline = false;
let made = null;  // the settings of the map shown
// The address's settings as written, for the first run: a range input would
// quietly pull them into its range, and a number input drop what is no number.
let addressed = {};
let started = false;  // whether a run has been asked for

function outOfRange(field, text, lowest, highest) {
    const [ja, en] = kFields[field].name;
    if (text === '') {
        return japanese ? `${ja}を ${lowest} から ${highest} までの整数で入れてください。`
            : `${en} must be a whole number from ${lowest} to ${highest}.`;
    }
    return japanese ? `${ja}は ${lowest} から ${highest} までの整数です（「${text}」は使えません）。`
        : `${en} must be a whole number from ${lowest} to ${highest}, not "${text}".`;
}

// The settings as typed, or the first one out of range, said in words.
function readSettings() {
    const values = {};
    const written = addressed;
    addressed = {};
    for (const [field, { setting }] of Object.entries(kFields)) {
        const { least: lowest, most: highest } = limits[setting];
        const text = (written[field] ?? inputs[field].value).trim();
        const value = Number(text);
        if (!/^\d+$/.test(text) || value < lowest || value > highest) {
            return { refusal: outOfRange(field, text, lowest, highest) };
        }
        values[field] = value;
    }
    const tickText = $('tick').value.trim();
    let tick = Number(tickText);
    if (tickText === '') {
        // A fresh clock well above three times the longer side, as the
        // program's is after a minute of uptime.
        tick = 60000 + crypto.getRandomValues(new Uint32Array(1))[0] % (kMostTick - 60000);
    } else if (!/^\d+$/.test(tickText) || tick > kMostTick) {
        return {
            refusal: japanese ? `ティックは 0 から ${kMostTick} までの整数です（「${tickText}」は使えません）。`
                : `The tick must be a whole number from 0 to ${kMostTick}, not "${tickText}".`,
        };
    }
    return {
        settings: { width: values.width, height: values.height, roughness: values.roughness,
            seaShare: values.sea, tick },
    };
}

function showSettings() {
    $('roughnessShown').textContent = inputs.roughness.value;
    const sea = Number(inputs.sea.value) * 10;
    $('seaShown').textContent = japanese ? `海 ${sea}%・陸 ${100 - sea}%` : `${sea}% sea, ${100 - sea}% land`;
}

function setButton() {
    $('create').innerHTML = say(running ? 'abort' : 'create');
    $('create').disabled = !ready;
    $('coastline').innerHTML = say(coastline ? 'normal' : 'coastline');
    $('coastline').disabled = running || !made;
}

// The files of the view shown, or with the heightmap too, all of the map's.
function clearFiles(ids = ['saveBmp', 'savePng', 'saveHeightmap']) {
    for (const id of ids) {
        const link = $(id);
        if (link.href) URL.revokeObjectURL(link.href);
        link.removeAttribute('href');
    }
}

function offer(id, blob, ending) {
    const link = $(id);
    if (link.href) URL.revokeObjectURL(link.href);
    const { width, height, tick } = made;
    link.download = `morvik-${width}x${height}-${tick}${coastline && id !== 'saveHeightmap' ? '-coastline' : ''}${ending}`;
    link.href = URL.createObjectURL(blob);
}

// A message sent before the worker has its handler could be lost, so 作成
// waits for it.
function startWorker() {
    ready = false;
    worker = new Worker(new URL('./worker.js', import.meta.url), { type: 'module' });
    worker.onmessage = ({ data }) => handlers[data.type](data);
}

const handlers = {
    ready({ limits: given }) {
        limits = given;
        ready = true;
        setButton();
        for (const [field, { setting }] of Object.entries(kFields)) {
            inputs[field].min = limits[setting].least;
            inputs[field].max = limits[setting].most;
            if (!started) inputs[field].value = addressed[field] ?? limits.defaults[setting];
        }
        showSettings();
        // The first map comes with the page; a worker started after 中断
        // waits for the next 作成.
        if (!started) start();
    },
    progress({ done, total, ms }) {
        $('progress').value = total > 0 ? done / total : 1;
        if (ms !== undefined) document.body.dataset.runMs = ms.toFixed(0);  // start to finish
    },
    view({ pixels }) {
        const { width, height } = made;
        const canvas = $('map');
        canvas.width = width;
        canvas.height = height;
        canvas.getContext('2d').putImageData(new ImageData(pixels, width, height), 0, 0);
        if (running) {
            running = false;
            $('madeTick').innerHTML = `${say('madeTick')} ${made.tick}`;
            history.replaceState(null, '', `?w=${made.width}&h=${made.height}&r=${made.roughness}&s=${made.seaShare}&tick=${made.tick}`);
            worker.postMessage({ type: 'heightmap' });
            document.body.dataset.state = 'made';
        }
        setButton();
        clearFiles(['saveBmp', 'savePng']);
        worker.postMessage({ type: 'bmp', coastline });
    },
    // The view's BMP, and the same picture as a palette PNG, as the batch
    // tool writes both. A view switched meanwhile sends its own.
    async bmp({ bytes, coastline: shown }) {
        if (shown !== coastline) return;
        offer('saveBmp', new Blob([bytes], { type: 'image/bmp' }), '.bmp');
        const png = await palettePng(bytes);
        if (shown === coastline) offer('savePng', png, '.png');
    },
    async heightmap({ values }) {
        offer('saveHeightmap', await heightmapPng(values, made.width, made.height), '-heightmap.png');
    },
};

function start() {
    started = true;
    const { settings, refusal } = readSettings();
    $('message').textContent = refusal || '';
    if (refusal) return;
    made = settings;
    running = true;
    coastline = false;
    $('progress').value = 0;
    document.body.dataset.state = 'running';
    setButton();
    clearFiles();
    worker.postMessage({ type: 'run', settings });
}

// The worker is in the middle of its loop: ending it is what stops at once.
function abort() {
    worker.terminate();
    running = false;
    made = null;
    clearFiles();
    $('madeTick').textContent = '';
    const canvas = $('map');
    canvas.getContext('2d').clearRect(0, 0, canvas.width, canvas.height);
    $('progress').value = 0;
    document.body.dataset.state = 'aborted';
    startWorker();
    setButton();
}

// The inputs take the address's settings, or the core's defaults, once the
// core is loaded.
function readAddress() {
    const params = new URLSearchParams(location.search);
    for (const [field, { param }] of Object.entries(kFields)) {
        const written = params.get(param);
        if (written !== null) addressed[field] = written;
    }
    $('tick').value = params.get('tick') ?? '';
}

for (const element of document.querySelectorAll('[data-text]')) {
    element.innerHTML = say(element.dataset.text);
}
document.documentElement.lang = japanese ? 'ja' : 'en';
readAddress();
setButton();
$('controls').addEventListener('submit', (event) => {
    event.preventDefault();
    if (running) abort();
    else start();
});
for (const field of ['roughness', 'sea']) inputs[field].addEventListener('input', showSettings);
$('tick').addEventListener('focus', () => $('tick').select());
$('coastline').addEventListener('click', () => {
    coastline = !coastline;
    worker.postMessage({ type: 'view', coastline });
});
startWorker();
