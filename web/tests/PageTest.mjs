// The page in a real Chromium, headless, against the batch tool: every file
// it offers is byte for byte `morvik-batch generate`'s for the same
// settings and tick, plain, eroded, wrapped and with rivers, its engine
// packs' files too; its address and its history make the same maps again;
// 中断 keeps the map shown; a setting out of range is said, not clamped; the
// map fits a phone; the 3-D view draws; the server starts from any folder
// and serves nothing but the site's files. It prints how long the page
// took and its longest main-thread task, for the note's figures.
//   node PageTest.mjs SITE_FOLDER BATCH_TOOL CHROMIUM SCREENSHOT
import { execFileSync } from 'node:child_process';
import { cpSync, mkdirSync, mkdtempSync, readFileSync, rmSync, symlinkSync, writeFileSync } from 'node:fs';
import { request } from 'node:http';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { unzipSync } from 'fflate';
import puppeteer from 'puppeteer-core';
import { serve } from '../serve.mjs';

const [site, batchTool, chromium, screenshot] = process.argv.slice(2).map((arg, i) => (i === 2 ? arg : resolve(arg)));
let failures = 0;
function check(condition, what) {
    console.log(`${condition ? 'ok  ' : 'FAIL'} ${what}`);
    if (!condition) failures += 1;
}

const scratch = mkdtempSync(join(tmpdir(), 'morvik-page-'));
let batchRuns = 0;
// The batch tool's files for the settings: `files` maps each option to the
// name it writes (a folder for --pack).
function batch(settings, files) {
    const folder = join(scratch, String(++batchRuns));
    mkdirSync(folder);
    const { w, h, r = 1, s = 5, tick, erode = 0, wrap = '', rivers = false, coastline = false } = settings;
    const args = ['generate', '--width', String(w), '--height', String(h), '--roughness', String(r),
        '--sea', String(s), '--tick', String(tick), '--quiet',
        ...(erode ? ['--erode', String(erode)] : []), ...(wrap ? ['--wrap', wrap] : []),
        ...(coastline ? ['--view', 'coastline'] : [])];
    // Rivers are drawn on the map alone.
    if (rivers && files['-o']) args.push('--rivers');
    for (const [option, name] of Object.entries(files)) args.push(option, name);
    execFileSync(batchTool, args, { cwd: folder, stdio: ['ignore', 'ignore', 'inherit'] });
    return (name) => readFileSync(join(folder, name));
}
const query = ({ w, h, r = 1, s = 5, tick, erode = 0, wrap = '', rivers = false }) =>
    `?w=${w}&h=${h}&r=${r}&s=${s}&tick=${tick}${erode ? `&erode=${erode}` : ''}${wrap ? `&wrap=${wrap}` : ''}${rivers ? '&rivers=1' : ''}`;

const { server, address } = await serve(site, 8400);
const browser = await puppeteer.launch({
    executablePath: chromium, headless: true,
    args: ['--no-sandbox', '--disable-dev-shm-usage', '--enable-unsafe-swiftshader', '--use-angle=swiftshader'],
});
const consoleErrors = [];

async function openPage(path = '', language = 'en-GB', at = address) {
    const page = await browser.newPage();
    page.on('console', (message) => {
        if (message.type() === 'error') consoleErrors.push(message.text());
    });
    page.on('pageerror', (error) => consoleErrors.push(error.message));
    await page.evaluateOnNewDocument((given) => {
        Object.defineProperty(navigator, 'languages', { get: () => [given] });
        // The longest task on the page's thread, for the figures.
        window.longestTask = 0;
        new PerformanceObserver((list) => {
            for (const entry of list.getEntries()) window.longestTask = Math.max(window.longestTask, entry.duration);
        }).observe({ type: 'longtask', buffered: true });
    }, language);
    await page._client().send('Browser.setDownloadBehavior', { behavior: 'deny' }).catch(() => {});
    await page.goto(`${at}${path}`);
    return page;
}
const state = (page) => page.evaluate(() => document.body.dataset.state);
const made = (page, timeout = 120000) =>
    page.waitForFunction(() => document.body.dataset.state === 'made', { timeout });
// A file the page offers, asked for and taken as a download would.
async function offered(page, id) {
    await page.$eval(`#${id}`, (link) => { if (!link.href) link.click(); });
    await page.waitForFunction((linkId) => document.getElementById(linkId).href !== '', { timeout: 120000 }, id);
    const bytes = await page.evaluate(async (linkId) => {
        const response = await fetch(document.getElementById(linkId).href);
        return Array.from(new Uint8Array(await response.arrayBuffer()));
    }, id);
    return Buffer.from(bytes);
}
const answerTo = (url, method, headers = {}) => new Promise((resolve, reject) => {
    const asked = request(url, { method, headers }, (response) => {
        response.resume();
        resolve(response);
    });
    asked.on('error', reject);
    asked.end();
});
// Does `act`, and waits for the map it makes, however soon that is.
async function remade(page, act) {
    await page.evaluate(() => { document.body.dataset.state = 'asked'; });
    await act();
    await made(page);
}
const chooseView = (page, name) => page.click(`input[name="view"][value="${name}"]`);
// Every entry of a zip the page made, against the batch tool's file of the
// same name under `folder`.
function sameZip(zip, files, folder) {
    const entries = unzipSync(new Uint8Array(zip));
    const names = Object.keys(entries);
    return names.length > 0 && names.every((name) => Buffer.from(entries[name]).equals(files(join(folder, name))));
}

try {
    // A plain map and an eroded, wrapped one with rivers: each file as the
    // batch tool writes it.
    const plain = { w: 160, h: 120, tick: 1000001 };
    const shaped = { w: 257, h: 257, r: 3, s: 4, tick: 123456789, erode: 15, wrap: 'xy', rivers: true };
    for (const settings of [plain, shaped]) {
        const page = await openPage(query(settings));
        await made(page);
        const what = settings === plain ? 'plain' : 'eroded, wrapped, with rivers';
        const base = `morvik-${settings.w}x${settings.h}-${settings.tick}`;
        const files = batch(settings, {
            '-o': `${base}.bmp`, '--heightmap': `${base}-heightmap.png`, '--json': `${base}.json`,
        });
        const engine = batch(settings, {
            '--normal': 'normal.png', '--flow': 'flow.png', '--masks': base, '--heightmap': 'h.exr',
        });
        const r16 = batch(settings, { '--heightmap': 'h.r16' });
        const png = batch(settings, { '-o': 'map.png' });
        check((await offered(page, 'bmp')).equals(files(`${base}.bmp`)), `${what}: the BMP is the batch tool's`);
        check((await offered(page, 'png')).equals(png('map.png')), `${what}: the map's PNG is the batch tool's`);
        check((await offered(page, 'heightmapPng')).equals(files(`${base}-heightmap.png`)),
            `${what}: the 16-bit heightmap PNG is the batch tool's`);
        check((await offered(page, 'heightmapR16')).equals(r16('h.r16')), `${what}: the R16 heightmap is the batch tool's`);
        check((await offered(page, 'heightmapExr')).equals(engine('h.exr')), `${what}: the EXR heights are the batch tool's`);
        check((await offered(page, 'normal')).equals(engine('normal.png')), `${what}: the normal map is the batch tool's`);
        check((await offered(page, 'flow')).equals(engine('flow.png')), `${what}: the flow is the batch tool's`);
        check(sameZip(await offered(page, 'masks'), engine, ''), `${what}: the eight masks are the batch tool's`);
        check((await offered(page, 'json')).equals(files(`${base}.json`)), `${what}: the JSON is the batch tool's`);
        const seaLevel = await page.$eval('#seaLevel', (element) => element.textContent);
        check(seaLevel.includes(String(JSON.parse(files(`${base}.json`)).heightmap_sea_level)),
            `${what}: the heightmap's sea level is shown: "${seaLevel}"`);
        if (settings === shaped) {
            for (const engineName of ['unity', 'godot']) {
                const packs = batch(settings, { '--preset': engineName, '--pack': `${base}-${engineName}` });
                check(sameZip(await offered(page, `pack-${engineName}`), packs, ''),
                    `${what}: the ${engineName} pack holds the batch tool's files`);
            }
            check(await page.$eval('#pack-unreal', (link) => link.getAttribute('aria-disabled')) === 'true' &&
                (await page.$eval('#packFaults', (element) => element.textContent)).includes('253'),
                'a size Unreal cannot take is said, with the sizes nearest');
        }
        await remade(page, () => chooseView(page, 'coastline'));
        const coast = batch({ ...settings, coastline: true }, { '-o': 'coast.bmp' });
        check((await offered(page, 'bmp')).equals(coast('coast.bmp')), `${what}: the coastline BMP is the batch tool's`);
        await page.close();
    }

    // Unreal's pack, its heights as a PNG, its normals green down, a mask a layer.
    {
        const settings = { w: 253, h: 253, tick: 31415926 };
        const page = await openPage(query(settings));
        await made(page);
        const base = `morvik-${settings.w}x${settings.h}-${settings.tick}`;
        const packs = batch(settings, { '--preset': 'unreal', '--pack': `${base}-unreal` });
        check(sameZip(await offered(page, 'pack-unreal'), packs, ''), 'the unreal pack holds the batch tool\'s files');
        await page.close();
    }

    // Nothing in the address: the core's defaults and ranges.
    {
        const page = await openPage('?tick=777777');
        await made(page);
        const inputs = await page.evaluate(() => ['width', 'height', 'roughness', 'sea', 'erosion'].map((id) => {
            const input = document.getElementById(id);
            return [input.value, input.min, input.max].join(' ');
        }));
        check(inputs.join(', ') === '160 1 4097, 120 1 4097, 1 1 5, 5 1 9, 0 0 100',
            `the inputs start at the core's defaults, in its ranges: ${inputs.join(', ')}`);
        await page.close();
    }

    // A link's map is made again by 作成; 新しい地図 makes another, and going
    // back brings the first again.
    {
        const page = await openPage('?w=200&h=150&r=3&s=4');
        await made(page);
        const first = await offered(page, 'bmp');
        const link = page.url();
        check(/tick=\d+/.test(link), `the address names the tick: ${link}`);
        const again = await openPage(link.slice(address.length));
        await made(again);
        check((await offered(again, 'bmp')).equals(first), 'the address makes the same map again');
        await remade(again, () => again.click('#create'));
        check((await offered(again, 'bmp')).equals(first) && again.url() === link, '作成 after a link keeps its map');
        await remade(again, () => again.click('#newMap'));
        check(!(await offered(again, 'bmp')).equals(first), 'New map makes another map, with a fresh tick');
        await remade(again, () => again.goBack());
        check((await offered(again, 'bmp')).equals(first), 'going back brings the previous map again');
        await again.close();
        await page.close();
    }

    // A large run: frames keep coming, 中断 keeps the map shown, a double
    // click does no harm, and focus stays on the button.
    {
        const page = await openPage('?w=1280&h=1024&r=5&s=5&tick=123456789', 'ja-JP');
        await made(page);
        const runs = [Number(await page.evaluate(() => document.body.dataset.runMs))];
        await page.evaluate(() => { window.longestTask = 0; });
        for (let again = 0; again < 4; ++again) {
            await remade(page, () => page.click('#create'));
            runs.push(Number(await page.evaluate(() => document.body.dataset.runMs)));
        }
        runs.sort((a, b) => a - b);
        console.log(`1280 x 1024 roughness 5 in the browser: the run's times in the worker ${runs.join(', ')} ms; ` +
            `the longest task on the page's thread meanwhile ${(await page.evaluate(() => window.longestTask)).toFixed(0)} ms`);
        const shown = await offered(page, 'bmp');
        check(shown.equals(batch({ w: 1280, h: 1024, r: 5, tick: 123456789 }, { '-o': 'large.bmp' })('large.bmp')),
            'the largest window-sized map is the batch tool\'s, byte for byte');
        await page.evaluate(() => {
            window.states = [];
            new MutationObserver(() => window.states.push(document.body.dataset.state))
                .observe(document.body, { attributes: true, attributeFilter: ['data-state'] });
        });
        await page.click('#create', { clickCount: 2 });
        await made(page);
        check(!(await page.evaluate(() => window.states)).includes('aborted'),
            'a double click on 作成 makes one map, and does not stop it');
        // A run long enough to stop, asked for and stopped from the keyboard.
        await page.$eval('#width', (input) => { input.value = '4097'; });
        await page.$eval('#height', (input) => { input.value = '4097'; });
        await page.$eval('#erosion', (input) => { input.value = '10'; });
        await page.focus('#create');
        await page.keyboard.press('Enter');
        await page.waitForFunction(() => document.getElementById('progress').value > 0.02, { timeout: 60000 });
        const frames = await page.evaluate(() => new Promise((resolve) => {
            let count = 0;
            const started = performance.now();
            const next = () => {
                count += 1;
                if (performance.now() - started < 1000) requestAnimationFrame(next);
                else resolve(count);
            };
            requestAnimationFrame(next);
        }));
        check(frames > 10, `the page keeps drawing during a run (${frames} frames in a second)`);
        check(await page.$eval('#create', (button) => button.textContent) === '中断',
            'during a run the button says 中断 (in Japanese)');
        await page.keyboard.press('Enter');
        await page.waitForFunction(() => document.body.dataset.state === 'aborted');
        await new Promise((resolve) => setTimeout(resolve, 500));
        check(await page.evaluate(() => document.activeElement.id) === 'create', 'focus stays on the button after 中断');
        check((await page.$eval('#message', (element) => element.textContent)).includes('前の地図'),
            '中断 says the map shown stays');
        check((await offered(page, 'bmp')).equals(shown), 'and its files are still there');
        await page.close();
    }

    // Out of range: said, and nothing made.
    for (const [path, named] of [['?r=9', '9'], ['?s=abc', 'abc'], ['?w=12abc', '12abc'], ['?w=5000', '4097'],
        ['?wrap=z', 'z'], [`?tick=${'9'.repeat(3000)}`, '9'.repeat(3000)]]) {
        const page = await openPage(path);
        await page.waitForFunction(() => document.getElementById('message').textContent !== '');
        const message = await page.$eval('#message', (element) => element.textContent);
        const wraps = await page.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth);
        check(message.includes(named) && wraps && await state(page) !== 'made',
            `${path.slice(0, 20)} is said, the page no wider, and makes no map: "${message.slice(0, 120)}"`);
        await page.close();
    }

    // A small tick is warned of, as the batch tool warns.
    {
        const page = await openPage('?w=400&h=300&tick=42');
        await made(page);
        const warning = await page.$eval('#warning', (element) => element.textContent);
        check(warning.includes('42') && warning.includes('1200'), `a small tick is warned of: "${warning}"`);
        await page.close();
    }

    // On a phone the map fits the screen whole; the 3-D view draws.
    {
        const page = await openPage('?w=1280&h=1024&tick=98765432&erode=5');
        await page.setViewport({ width: 390, height: 844, isMobile: true, hasTouch: true });
        await made(page);
        const fits = await page.evaluate(() => {
            const map = document.getElementById('map').getBoundingClientRect();
            const frame = document.getElementById('viewport').getBoundingClientRect();
            return map.left >= frame.left - 0.5 && map.right <= frame.right + 0.5 && map.top >= frame.top - 0.5 &&
                map.bottom <= frame.bottom + 0.5 && frame.right <= 390 && document.documentElement.scrollWidth <= 390;
        });
        check(fits, 'at 390 x 844 the whole map fits the screen, and the page no wider');
        await page.screenshot({ path: screenshot.replace(/\.png$/, '-phone.png') });
        await chooseView(page, '3d');
        await page.waitForFunction(() => document.body.dataset.scene === 'drawn', { timeout: 60000 });
        await new Promise((resolve) => setTimeout(resolve, 500));
        const colours = await page.evaluate(() => {
            const scene = document.getElementById('scene');
            const copy = document.createElement('canvas');
            copy.width = scene.width;
            copy.height = scene.height;
            const context = copy.getContext('2d');
            context.drawImage(scene, 0, 0);
            const { data } = context.getImageData(0, 0, copy.width, copy.height);
            const seen = new Set();
            for (let i = 0; i < data.length; i += 4 * 97) seen.add((data[i] << 16) | (data[i + 1] << 8) | data[i + 2]);
            return seen.size;
        });
        check(colours > 50, `the 3-D view draws the land (${colours} colours on its canvas)`);
        await page.screenshot({ path: screenshot.replace(/\.png$/, '-3d.png') });
        await page.close();
    }

    // The server from a folder whose path has a space, Japanese and a link;
    // GET and HEAD only, and nothing through a link out of the site.
    {
        const home = join(scratch, 'ドキュメント で');
        cpSync(site, join(home, 'site'), { recursive: true, dereference: true });
        writeFileSync(join(scratch, 'secret.txt'), 'not the site\'s');
        symlinkSync(join(scratch, 'secret.txt'), join(home, 'site', 'secret.txt'));
        symlinkSync(home, join(scratch, 'link'));
        const started = execFileSync('node', ['-e', `
            const child = require('node:child_process').spawn(process.execPath, [process.argv[1], process.argv[2], '8600']);
            child.stdout.once('data', (line) => { console.log(String(line).trim()); child.kill(); });
            child.on('exit', (code) => { if (code !== null) console.log('exited ' + code); });`,
        join(scratch, 'link', 'site', 'serve.mjs'), join(scratch, 'link', 'site')], { encoding: 'utf8', timeout: 10000 });
        check(/http:\/\/127\.0\.0\.1:\d+\//.test(started), `the server starts from a path with a space, Japanese and a link: "${started.trim()}"`);
        const { server: other, address: otherAddress } = await serve(join(home, 'site'), 8700);
        const codes = await Promise.all([['POST', ''], ['HEAD', ''], ['GET', 'secret.txt']].map(
            async ([method, path]) => (await answerTo(`${otherAddress}${path}`, method)).statusCode));
        check(codes.join(' ') === '405 200 404', `POST is refused, HEAD answered, a link out of the site not followed: ${codes.join(' ')}`);
        const first = await answerTo(`${otherAddress}main.js`, 'GET', { 'Accept-Encoding': 'gzip' });
        const again = await answerTo(`${otherAddress}main.js`, 'GET', { 'If-None-Match': first.headers.etag });
        other.close();
        check(first.headers['content-encoding'] === 'gzip' && first.headers['last-modified'] !== undefined &&
            again.statusCode === 304, 'files go gzipped, with an ETag that answers 304 when it still holds');
    }

    // Opened from disk the page cannot start, and says so, its form labelled.
    {
        const page = await openPage('', 'en-GB', `file://${join(site, 'index.html')}`);
        await page.waitForFunction(() => getComputedStyle(document.getElementById('unstarted')).visibility === 'visible',
            { timeout: 10000 });
        check((await page.$eval('label[for="roughness"]', (label) => label.textContent)).includes('Roughness'),
            'opened from disk, the page says it needs a web server, its form labelled');
        await page.close();
        consoleErrors.length = 0;  // the modules' refusal
    }

    // A core that does not load is said, with a way to try again.
    {
        const broken = join(scratch, 'broken');
        cpSync(site, broken, { recursive: true });
        rmSync(join(broken, 'morvik-core.wasm'));
        const { server: other, address: otherAddress } = await serve(broken, 8800);
        const page = await openPage('', 'en-GB', otherAddress);
        await page.waitForFunction(() => document.getElementById('retry') !== null, { timeout: 30000 });
        check((await page.$eval('#message', (element) => element.textContent)).includes('could not be loaded'),
            'a core that does not load is said, and a button offers to try again');
        await page.close();
        other.close();
        consoleErrors.length = 0;  // the missing file's own
    }

    // axe finds nothing wrong in either language or colour scheme.
    const axe = readFileSync(join(dirname(fileURLToPath(import.meta.url)), '../node_modules/axe-core/axe.min.js'), 'utf8');
    for (const language of ['en-GB', 'ja-JP']) {
        for (const scheme of ['light', 'dark']) {
            const page = await openPage('', language, 'about:blank');
            await page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: scheme }]);
            await page.setViewport({ width: 1280, height: 800 });
            await page.goto(`${address}?w=300&h=200&tick=555555&rivers=1`);
            await made(page);
            await page.$eval('#tick', (input) => { input.value = '42'; });
            await remade(page, () => page.click('#create'));  // a warning and a message on the page too
            await page.evaluate(axe);
            const violations = await page.evaluate(async () =>
                (await window.axe.run(document)).violations.map((violation) => `${violation.id} (${violation.nodes.length})`));
            check(violations.length === 0, `axe, ${language}, ${scheme}: ${violations.join(', ') || 'no violations'}`);
            if (language === 'en-GB' && scheme === 'light') await page.screenshot({ path: screenshot });
            await page.close();
        }
    }
    check(consoleErrors.length === 0, `no errors on the console${consoleErrors.length ? `: ${consoleErrors.join('; ')}` : ''}`);
} finally {
    await browser.close();
    server.close();
    rmSync(scratch, { recursive: true, force: true });
}
console.log(failures === 0 ? 'all passed' : `${failures} failed`);
process.exit(failures === 0 ? 0 : 1);
