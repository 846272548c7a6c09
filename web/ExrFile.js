// Float heights as the batch tool writes them through OpenEXR, byte for
// byte: one 32-bit float channel "Y", scan lines in blocks of 16 each
// deflated at OpenEXR's level 4 after its byte split and predictor (or
// stored as they are where that comes out no smaller), and its header's
// attributes in their sorted order.
import { deflate } from './vendor/pako.mjs';
import { joined } from './PngFile.js';

const kBlockRows = 16;
const kZipLevel = 4;

function attribute(name, type, value) {
    const text = new TextEncoder();
    const size = new Uint8Array(4);
    new DataView(size.buffer).setInt32(0, value.length, true);
    return joined([text.encode(`${name}\0${type}\0`), size, value]);
}

function littleEndian(...numbers) {
    const bytes = new Uint8Array(4 * numbers.length);
    const view = new DataView(bytes.buffer);
    numbers.forEach(([kind, value], i) => {
        if (kind === 'f') view.setFloat32(4 * i, value, true);
        else view.setInt32(4 * i, value, true);
    });
    return bytes;
}

function header(width, height) {
    const window = littleEndian(['i', 0], ['i', 0], ['i', width - 1], ['i', height - 1]);
    // "Y", FLOAT, linear no, reserved, x and y sampling 1; then the list's end.
    const channels = joined([new Uint8Array([89, 0]), littleEndian(['i', 2]), new Uint8Array(4),
        littleEndian(['i', 1], ['i', 1]), new Uint8Array(1)]);
    return joined([
        new Uint8Array([0x76, 0x2f, 0x31, 0x01, 2, 0, 0, 0]),
        attribute('channels', 'chlist', channels),
        attribute('compression', 'compression', new Uint8Array([3])),  // ZIP
        attribute('dataWindow', 'box2i', window),
        attribute('displayWindow', 'box2i', window),
        attribute('lineOrder', 'lineOrder', new Uint8Array([0])),  // increasing Y
        attribute('pixelAspectRatio', 'float', littleEndian(['f', 1])),
        attribute('screenWindowCenter', 'v2f', littleEndian(['f', 0], ['f', 0])),
        attribute('screenWindowWidth', 'float', littleEndian(['f', 1])),
        new Uint8Array(1),
    ]);
}

// The bytes split into the even-placed then the odd-placed, each after
// the first told by its difference from the one before.
function predicted(raw) {
    const split = new Uint8Array(raw.length);
    const half = (raw.length + 1) >> 1;
    for (let i = 0; i < raw.length; ++i) split[(i & 1 ? half : 0) + (i >> 1)] = raw[i];
    for (let i = split.length - 1; i > 0; --i) split[i] = split[i] - split[i - 1] + 128;
    return split;
}

// floats: the heights' bytes row after row, little-endian as OpenEXR's are.
export function exrFile(width, height, floats) {
    const rowBytes = 4 * width;
    const blocks = [];
    for (let first = 0; first < height; first += kBlockRows) {
        const raw = floats.subarray(first * rowBytes, Math.min(height, first + kBlockRows) * rowBytes);
        const packed = deflate(predicted(raw), { level: kZipLevel });
        const data = packed.length < raw.length ? packed : raw;
        blocks.push(joined([littleEndian(['i', first], ['i', data.length]), data]));
    }
    const head = header(width, height);
    const offsets = new Uint8Array(8 * blocks.length);
    const view = new DataView(offsets.buffer);
    let at = head.length + offsets.length;
    blocks.forEach((block, i) => {
        view.setBigUint64(8 * i, BigInt(at), true);
        at += block.length;
    });
    return joined([head, offsets, ...blocks]);
}
