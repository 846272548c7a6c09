// The page: the map's settings, a run in a worker of its own, the map
// fitted to the window in its views (colour, coastline, relief, 3-D), and
// its files, each made in the worker when asked for. The settings and the
// tick of each map are in the address, one history entry a map, so that a
// link, or going back, makes it again.
import { MapView } from './MapView.js';

const japanese = (navigator.languages?.[0] || navigator.language || '').startsWith('ja');

// The program's own words, and the page's; in English with the Japanese beside.
const kWords = {
    width: ['横幅', 'Width'], height: ['縦幅', 'Height'],
    roughness: ['粗さ', 'Roughness'], coarse: ['粗', 'coarse'], fine: ['細', 'fine'],
    sea: ['海の割合', 'Sea'], seaEnd: ['海', 'sea'], landEnd: ['陸', 'land'],
    erosion: ['侵食（0 でなし）', 'Erosion (0: none)'],
    wrap: ['端をつなぐ', 'Wrap'], wrapNone: ['なし', 'none'], wrapX: ['東西', 'east to west'],
    wrapXY: ['東西と南北', 'east to west and north to south'], rivers: ['川', 'Rivers'],
    tick: ['ティック（空欄で新しい地図）', 'Tick (empty: a new map)'],
    create: ['作成', 'Create'], abort: ['中断', 'Abort'], newMap: ['新しい地図', 'New map'],
    progress: ['進み具合', 'Progress'], map: ['地図', 'Map'], viewKind: ['表示', 'View'],
    colourView: ['通常表示', 'Colour'], coastlineView: ['海岸線のみ', 'Coastline'],
    reliefView: ['起伏', 'Relief'], threeDView: ['立体', '3-D'],
    fit: ['全体', 'Fit'], zoomIn: ['拡大', 'Zoom in'], zoomOut: ['縮小', 'Zoom out'],
    files: ['ファイル', 'Files'], saveBmp: ['地図 (BMP)', 'Map (BMP)'], savePng: ['地図 (PNG)', 'Map (PNG)'],
    heightmapPng: ['高さマップ (16 ビット PNG)', 'Heightmap (16-bit PNG)'],
    normal: ['法線マップ', 'Normal map'], flow: ['流量', 'Flow'], masks: ['マスク (zip)', 'Masks (zip)'],
    json: ['情報 (JSON)', 'Report (JSON)'], packs: ['ゲームエンジン用 (zip)', 'Engine packs (zip)'],
    retry: ['再試行', 'Try again'],
};
function say(key) {
    const [ja, en] = kWords[key];
    return japanese ? ja : `${en} <small lang="ja">${ja}</small>`;
}
const plain = (key) => (japanese ? kWords[key][0] : `${kWords[key][1]} ${kWords[key][0]}`);
const words = (ja, en) => (japanese ? ja : en);

// The number inputs: their names in messages, their keys in the address
// and in the core's limits.
const kFields = {
    width: { name: ['横幅', 'The width'], param: 'w', setting: 'width' },
    height: { name: ['縦幅', 'The height'], param: 'h', setting: 'height' },
    roughness: { name: ['粗さ', 'The roughness'], param: 'r', setting: 'roughness' },
    sea: { name: ['海の割合', 'The sea share'], param: 's', setting: 'seaShare' },
    erosion: { name: ['侵食', 'The erosion'], param: 'erode', setting: 'erosion' },
};
const kWraps = ['', 'x', 'xy'];
const kViews = ['colour', 'coastline', 'relief', '3d'];
const kMostTick = 4294967295;
// The most pixels of a picture the page's thread takes in one go (about
// 25 ms of its time); a larger map's parts come as it is zoomed.
const kMostPicture = 1.5e6;
const kFiles = ['bmp', 'png', 'heightmapPng', 'heightmapR16', 'heightmapExr', 'normal', 'flow', 'masks',
    'json', 'pack-unreal', 'pack-unity', 'pack-godot'];
// The files that show the view: made again when it changes.
const kViewFiles = ['bmp', 'png', 'json'];

const $ = (id) => document.getElementById(id);
const inputs = { width: $('width'), height: $('height'), roughness: $('roughness'), sea: $('sea'), erosion: $('erosion') };
let limits = null;  // the core's ranges and defaults, once a worker has it
let shown = null;  // the map shown: { worker, settings, seaLevel, packFaults }
let running = null;  // the run going on: { worker, settings }
let spare = null;  // a worker loading or loaded, for the next run
let view = 'colour';
let relief3d = null;  // the 3-D view, loaded when first chosen
let mapView = null;

// --- The settings: the form, the address, the history.

function outOfRange(field, text, lowest, highest) {
    const [ja, en] = kFields[field].name;
    if (text === '') {
        return words(`${ja}を ${lowest} から ${highest} までの整数で入れてください。`,
            `${en} must be a whole number from ${lowest} to ${highest}.`);
    }
    return words(`${ja}は ${lowest} から ${highest} までの整数です（「${text}」は使えません）。`,
        `${en} must be a whole number from ${lowest} to ${highest}, not "${text}".`);
}

function freshTick() {
    // Well above three times the longer side, as the program's clock is
    // after a minute of uptime.
    return 60000 + crypto.getRandomValues(new Uint32Array(1))[0] % (kMostTick - 60000);
}

// The settings as written (the form's, or given), or the first one that
// cannot be, said in words.
function readSettings(written = {}) {
    const values = {};
    for (const [field, { setting }] of Object.entries(kFields)) {
        const { least, most } = limits[setting];
        const lowest = field === 'erosion' ? 0 : least;  // 0: none
        const text = String(written[field] ?? inputs[field].value).trim();
        const value = Number(text);
        if (!/^\d+$/.test(text) || value < lowest || value > most ||
            (field === 'erosion' && value > 0 && value < least)) {
            return { refusal: outOfRange(field, text, lowest, most) };
        }
        values[field] = value;
    }
    const wrapText = written.wrap ?? $('wrap').value;
    if (!kWraps.includes(wrapText)) {
        return { refusal: words(`端のつなぎ方は x か xy です（「${wrapText}」は使えません）。`,
            `The wrap must be x or xy, not "${wrapText}".`) };
    }
    const tickText = String(written.tick ?? $('tick').value).trim();
    let tick = Number(tickText);
    if (tickText === '') {
        tick = freshTick();
    } else if (!/^\d+$/.test(tickText) || tick > kMostTick) {
        return {
            refusal: words(`ティックは 0 から ${kMostTick} までの整数です（「${tickText}」は使えません）。`,
                `The tick must be a whole number from 0 to ${kMostTick}, not "${tickText}".`),
        };
    }
    return {
        settings: {
            width: values.width, height: values.height, roughness: values.roughness,
            seaShare: values.sea, tick, erosion: values.erosion, wrap: kWraps.indexOf(wrapText),
            rivers: Boolean(written.rivers ?? $('rivers').checked),
        },
    };
}

function showInForm(settings) {
    inputs.width.value = settings.width;
    inputs.height.value = settings.height;
    inputs.roughness.value = settings.roughness;
    inputs.sea.value = settings.seaShare;
    inputs.erosion.value = settings.erosion;
    $('wrap').value = kWraps[settings.wrap];
    $('rivers').checked = settings.rivers;
    $('tick').value = settings.tick;
    showSliders();
}

function addressOf(settings) {
    const params = new URLSearchParams({
        w: settings.width, h: settings.height, r: settings.roughness, s: settings.seaShare,
        tick: settings.tick,
    });
    if (settings.erosion) params.set('erode', settings.erosion);
    if (settings.wrap) params.set('wrap', kWraps[settings.wrap]);
    if (settings.rivers) params.set('rivers', '1');
    if (view !== 'colour') params.set('view', view);
    return `?${params}`;
}

// The address's settings as written, so that one out of range is said
// rather than pulled into range by its input; and its view.
function readAddress() {
    const params = new URLSearchParams(location.search);
    const written = {};
    for (const [field, { param }] of Object.entries(kFields)) {
        if (params.has(param)) written[field] = params.get(param);
    }
    if (params.has('wrap')) written.wrap = params.get('wrap');
    if (params.has('rivers')) written.rivers = params.get('rivers') === '1';
    if (params.has('tick')) written.tick = params.get('tick');
    const named = params.get('view');
    return { written, view: kViews.includes(named) ? named : 'colour' };
}

const same = (a, b) => a && b && Object.keys(a).every((key) => a[key] === b[key]);

function showSliders() {
    $('roughnessShown').textContent = inputs.roughness.value;
    const sea = Number(inputs.sea.value) * 10;
    $('seaShown').textContent = words(`海 ${sea}%・陸 ${100 - sea}%`, `${sea}% sea, ${100 - sea}% land`);
}

// --- The workers: one a run, the map shown kept in its own until the next
// is made, so that 中断 loses nothing.

function spawn() {
    return new Promise((resolve, reject) => {
        const worker = new Worker(new URL('./worker.js', import.meta.url), { type: 'module' });
        worker.onmessage = ({ data }) => {
            if (data.type !== 'ready') return;
            limits = data.limits;
            resolve(worker);
        };
        worker.onerror = (event) => {
            event.preventDefault();
            worker.terminate();
            reject(new Error(event.message || words('読み込めませんでした', 'it did not load')));
        };
    });
}

// A worker for the next run, loaded while the map is looked at.
function prepareSpare() {
    spare = spawn();
    spare.catch(() => {});  // said when a run asks for it
}

function failed(reason) {
    document.body.dataset.state = 'failed';
    const message = $('message');
    message.textContent = words(`地図作成部を読み込めません（${reason}）。`,
        `The map maker could not be loaded (${reason}). `);
    const retry = document.createElement('button');
    retry.type = 'button';
    retry.id = 'retry';
    retry.innerHTML = say('retry');
    retry.addEventListener('click', () => {
        message.textContent = '';
        boot();
    });
    message.append(retry);
    retry.focus();
}

function setButtons() {
    $('create').innerHTML = say(running ? 'abort' : 'create');
    $('create').disabled = !limits;
    $('newMap').disabled = !limits || Boolean(running);
}

async function start({ fresh = false, written = {}, record = 'push' } = {}) {
    if (fresh) $('tick').value = '';
    const { settings, refusal } = readSettings(written);
    $('message').textContent = refusal || '';
    if (refusal) return;
    showInForm(settings);
    const run = { worker: null, settings, record };
    running = run;
    $('warning').textContent = '';
    $('progress').value = 0;
    document.body.dataset.state = 'running';
    setButtons();
    let worker;
    try {
        worker = await (spare ?? spawn());
        spare = null;
    } catch (error) {
        spare = null;
        if (running !== run) return;
        running = null;
        setButtons();
        failed(error.message);
        return;
    }
    if (running !== run) {  // aborted meanwhile: the next run takes it
        spare = Promise.resolve(worker);
        return;
    }
    run.worker = worker;
    worker.onmessage = ({ data }) => fromRun(run, data);
    worker.onerror = (event) => {
        event.preventDefault();
        runFailed(run, event.message);
    };
    worker.postMessage({ type: 'run', settings });
}

function runFailed(run, reason) {
    if (running !== run) return;
    run.worker.terminate();
    running = null;
    setButtons();
    document.body.dataset.state = 'failed';
    $('message').textContent = words(`地図を作れませんでした（${reason}）。`, `The map could not be made (${reason}).`);
}

function fromRun(run, data) {
    if (running !== run) return;
    switch (data.type) {
        case 'started':
            if (run.settings.tick < data.smallestFullTick) warnOfSmallTick(run.settings.tick, data.smallestFullTick);
            return;
        case 'progress':
            // The circles are most of a plain run; eroded, the erosion is.
            $('progress').value = run.settings.erosion
                ? (data.step === 'circles' ? 0.3 * data.share : 0.3 + 0.7 * data.share) : data.share;
            return;
        case 'failed':
            return runFailed(run, data.message);
        case 'made':
            return made(run, data);
    }
}

function warnOfSmallTick(tick, smallest) {
    $('warning').textContent = words(
        `ティック ${tick} は ${smallest}（地図の長い辺の 3 倍）より小さいため、円が右下に寄り、平らな地図になります。「新しい地図」で新しいティックを使えます。`,
        `Tick ${tick} is below ${smallest}, three times the map's longer side: the circles cannot take all their places and sizes and crowd toward the bottom right; the smaller the tick, the flatter the map. New map takes a fresh tick.`);
}

function made(run, { ms, seaLevel, packFaults }) {
    shown?.worker.terminate();
    shown = { worker: run.worker, settings: run.settings, seaLevel, packFaults };
    running = null;
    shown.worker.onmessage = ({ data }) => fromShown(shown, data);
    shown.worker.onerror = (event) => {
        event.preventDefault();
        lost(event.message);
    };
    document.body.dataset.runMs = ms.toFixed(0);
    $('progress').value = 1;
    const address = addressOf(shown.settings);
    if (run.record === 'push' && location.search !== address) history.pushState(null, '', address);
    else history.replaceState(null, '', address);
    offerFiles();
    describeMap();
    setButtons();
    askForView();
    prepareSpare();
}

// The worker that held the map shown has failed (out of memory, say): its
// picture stays, but no file of it can be made any more.
function lost(reason) {
    for (const id of kFiles) {
        if (!$(id).href) $(id).setAttribute('aria-disabled', 'true');
        $(id).removeAttribute('aria-busy');
    }
    $('message').textContent = words(`この地図のファイルはもう作れません（${reason}）。作成でもう一度作れます。`,
        `This map's files can no longer be made (${reason}); Create makes the map again.`);
}

function abort() {
    const run = running;
    running = null;
    if (run.worker) {
        run.worker.terminate();
        prepareSpare();
    }
    $('progress').value = 0;
    document.body.dataset.state = 'aborted';
    $('message').textContent = shown
        ? words('中断しました。前の地図はそのままです。', 'Aborted: the map before it stays.')
        : words('中断しました。', 'Aborted.');
    setButtons();
}

// --- The map shown: its view, its description, its files.

function fromShown(map, data) {
    if (shown !== map) return;
    switch (data.type) {
        case 'pixels': return draw(data);
        case 'part': return drawPart(data);
        case 'heights': return showScene(data);
        case 'file': return fileMade(data);
        case 'failed': return fileFailed(data);
    }
}

function askForView() {
    const scene = view === '3d';
    $('picture').hidden = scene;
    $('scene').hidden = !scene;
    for (const id of ['zoomIn', 'zoomOut', 'fit']) $(id).disabled = scene;
    $('zoomShown').hidden = scene;
    if (!shown) return;
    $('detail').hidden = true;
    shown.worker.postMessage({ type: 'view', view: scene ? 'colour' : view, most: kMostPicture });
    if (scene) shown.worker.postMessage({ type: 'heights' });
}

// The 3-D view takes the colours' picture as its texture; the map's
// canvas shows the others.
let texture = null;
function draw({ view: drawn, bitmap }) {
    if (view === '3d') {
        texture = bitmap;
    } else {
        const canvas = $('map');
        canvas.width = bitmap.width;
        canvas.height = bitmap.height;
        canvas.getContext('bitmaprenderer').transferFromImageBitmap(bitmap);
        mapView.show(shown.settings.width, shown.settings.height, bitmap.width / shown.settings.width);
    }
    if (drawn === (view === '3d' ? 'colour' : view)) document.body.dataset.state = 'made';
}

// The part in sight, finer than the whole picture, over it.
let partsAsked = 0;
function askForPart(part) {
    if (!shown || view === '3d') return;
    shown.worker.postMessage({ type: 'part', view, ...part, asked: ++partsAsked });
}

function drawPart({ view: drawn, bitmap, x, y, width, height, asked }) {
    if (drawn !== view || asked !== partsAsked) {
        bitmap.close();
        return;
    }
    const canvas = $('detail');
    canvas.width = bitmap.width;
    canvas.height = bitmap.height;
    canvas.getContext('bitmaprenderer').transferFromImageBitmap(bitmap);
    Object.assign(canvas.style, { left: `${x}px`, top: `${y}px`, width: `${width}px`, height: `${height}px` });
    canvas.hidden = false;
}

async function showScene({ values, seaLevel }) {
    try {
        if (!relief3d) {
            const { Relief3d } = await import('./Relief3d.js');
            relief3d = new Relief3d($('scene'));
        }
        relief3d.show(texture, shown.settings, values, seaLevel);
        document.body.dataset.scene = 'drawn';
    } catch (error) {
        $('message').textContent = words(`立体表示ができません（${error.message}）。`,
            `The 3-D view cannot be shown (${error.message}).`);
    }
}

function describeMap() {
    const { width, height, roughness, seaShare, tick, erosion, wrap, rivers } = shown.settings;
    const wraps = [words('', ''), words('、東西につながる', ', wrapped east to west'),
        words('、東西と南北につながる', ', wrapped both ways')];
    $('picture').setAttribute('aria-label', words(
        `地図 ${width}×${height}、粗さ ${roughness}、海 ${seaShare * 10}%、ティック ${tick}${erosion ? `、侵食 ${erosion}` : ''}${wraps[wrap]}${rivers ? '、川あり' : ''}`,
        `Map of ${width} × ${height} cells, roughness ${roughness}, ${seaShare * 10}% sea, tick ${tick}${erosion ? `, eroded ${erosion}` : ''}${wraps[wrap]}${rivers ? ', with rivers' : ''}`));
    $('madeTick').textContent = words(`この地図のティック: ${tick}`, `This map's tick: ${tick}`);
    const metres = (shown.seaLevel * 512 / 65535).toFixed(1);
    $('seaLevel').textContent = words(
        `海面: 高さマップの値 ${shown.seaLevel}（65535 のうち）、高さ 512 m のうち ${metres} m`,
        `Sea level: ${shown.seaLevel} of the heightmap's 65535, ${metres} m of its 512 m`);
}

const baseName = () => `morvik-${shown.settings.width}x${shown.settings.height}-${shown.settings.tick}`;

function clearFile(id) {
    const link = $(id);
    if (link.href) URL.revokeObjectURL(link.href);
    link.removeAttribute('href');
    link.removeAttribute('download');
}

// Every file offered, none made yet; a pack the engine cannot take said why.
function offerFiles() {
    for (const id of kFiles) {
        clearFile(id);
        $(id).setAttribute('role', 'button');
        $(id).tabIndex = 0;
        $(id).removeAttribute('aria-disabled');
    }
    const faults = [];
    for (const [engine, fault] of Object.entries(shown.packFaults)) {
        if (!fault) continue;
        $(`pack-${engine}`).setAttribute('aria-disabled', 'true');
        const named = `${engine[0].toUpperCase()}${engine.slice(1)}`;
        const said = fault.replace(/^--preset \w+ takes \w+'s /, `${named} takes its `);
        faults.push(words(`${named} はこの大きさの地図を読み込めません（${said}）`, said));
    }
    $('packFaults').textContent = faults.join(' ');
}

function askForFile(id) {
    const link = $(id);
    if (!shown || link.href || link.getAttribute('aria-disabled') === 'true') return;
    link.setAttribute('aria-busy', 'true');
    shown.worker.postMessage({ type: 'file', what: id, base: baseName(), coastline: view === 'coastline' });
}

function fileMade({ what, name, blob }) {
    const link = $(what);
    link.removeAttribute('aria-busy');
    link.href = URL.createObjectURL(blob);
    link.download = name;
    link.removeAttribute('role');
    link.click();
}

function fileFailed({ what, message }) {
    $(what)?.removeAttribute('aria-busy');
    $('message').textContent = words(`ファイルを作れませんでした（${message}）。`, `The file could not be made (${message}).`);
}

// --- Start-up.

async function boot() {
    prepareSpare();
    try {
        await spare;
    } catch (error) {
        spare = null;
        failed(error.message);
        return;
    }
    for (const [field, { setting }] of Object.entries(kFields)) {
        inputs[field].min = field === 'erosion' ? 0 : limits[setting].least;
        inputs[field].max = limits[setting].most;
        inputs[field].value = field === 'erosion' ? 0 : limits.defaults[setting];
    }
    showSliders();
    setButtons();
    const { written, view: named } = readAddress();
    chooseView(named);
    start({ written, record: 'replace' });
}

function chooseView(name) {
    view = name;
    document.querySelector(`input[name="view"][value="${name}"]`).checked = true;
    for (const id of kViewFiles) clearFile(id);
    askForView();
}

document.getElementById('unstarted').remove();
document.documentElement.lang = japanese ? 'ja' : 'en';
for (const element of document.querySelectorAll('[data-text]')) element.innerHTML = say(element.dataset.text);
for (const element of document.querySelectorAll('[data-label]')) {
    element.setAttribute('aria-label', plain(element.dataset.label));
    element.title = plain(element.dataset.label);
}
mapView = new MapView($('viewport'), $('picture'), (scale) => {
    $('zoomShown').textContent = `${Math.round(scale * 100)}%`;
}, askForPart);
$('controls').addEventListener('submit', (event) => {
    event.preventDefault();
    if (!limits) return;
    if (running) abort();
    else start();
});
// The second click of a double click would stop the run the first began.
$('create').addEventListener('click', (event) => {
    if (event.detail > 1) event.preventDefault();
});
$('newMap').addEventListener('click', () => start({ fresh: true }));
for (const field of ['roughness', 'sea']) inputs[field].addEventListener('input', showSliders);
$('tick').addEventListener('focus', () => $('tick').select());
for (const radio of document.querySelectorAll('input[name="view"]')) {
    radio.addEventListener('change', () => {
        chooseView(radio.value);
        if (shown) history.replaceState(null, '', addressOf(shown.settings));
    });
}
$('zoomIn').addEventListener('click', () => mapView.zoom(1.25));
$('zoomOut').addEventListener('click', () => mapView.zoom(0.8));
$('fit').addEventListener('click', () => mapView.fit());
for (const id of kFiles) {
    $(id).addEventListener('click', (event) => {
        if ($(id).href) return;
        event.preventDefault();
        askForFile(id);
    });
    $(id).addEventListener('keydown', (event) => {
        if (event.key === ' ' && !$(id).href) {
            event.preventDefault();
            askForFile(id);
        }
    });
}
// Back and forward bring the map of their entry back.
window.addEventListener('popstate', () => {
    if (!limits) return;
    const { written, view: named } = readAddress();
    if (named !== view) chooseView(named);
    const { settings } = readSettings({ ...written, tick: written.tick ?? '' });
    if (!same(settings, shown?.settings)) {
        if (running) abort();
        start({ written, record: 'replace' });
    }
});
boot();
