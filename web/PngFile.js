// PNG files as the batch tool writes them through libspng, byte for byte:
// one filter for every row by the kind of picture, zlib's fastest level
// (pako is zlib's deflate to the bit), and IDAT chunks of libspng's 8 KiB.
import { deflate } from './vendor/pako.mjs';

const kSignature = [137, 80, 78, 71, 13, 10, 26, 10];
const kChunkData = 8192;
const kColourTypes = { grey: 0, rgb: 2, indexed: 3, rgba: 6 };
const kChannels = { grey: 1, rgb: 3, indexed: 1, rgba: 4 };
const kSub = 1;
const kUp = 2;
const kPaeth = 4;
const kRle = 3;

const kCrcTable = Array.from({ length: 256 }, (_, n) => {
    let c = n;
    for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    return c >>> 0;
});

function crc32(bytes) {
    let c = 0xffffffff;
    for (let i = 0; i < bytes.length; ++i) c = kCrcTable[(c ^ bytes[i]) & 0xff] ^ (c >>> 8);
    return (c ^ 0xffffffff) >>> 0;
}

function chunk(type, data) {
    const bytes = new Uint8Array(12 + data.length);
    const view = new DataView(bytes.buffer);
    view.setUint32(0, data.length);
    for (let i = 0; i < 4; ++i) bytes[4 + i] = type.charCodeAt(i);
    bytes.set(data, 8);
    view.setUint32(8 + data.length, crc32(bytes.subarray(4, 8 + data.length)));
    return bytes;
}

// Heights compress best from the sample to their left, a map's indices
// from the row above with runs alone, masks and normals by Paeth.
function encodingOf(colour, bitDepth) {
    if (colour === 'indexed') return { filter: kUp, strategy: kRle };
    if (colour === 'grey' && bitDepth === 16) return { filter: kSub, strategy: 0 };
    return { filter: kPaeth, strategy: 0 };
}

function paeth(a, b, c) {
    const p = a + b - c;
    const pa = Math.abs(p - a);
    const pb = Math.abs(p - b);
    const pc = Math.abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

// Each row after its filter byte; 16-bit samples turned big-endian first.
function filteredRows(rows, height, rowBytes, bpp, bitDepth, filter) {
    const out = new Uint8Array(height * (1 + rowBytes));
    const raw = new Uint8Array(rowBytes);
    const previous = new Uint8Array(rowBytes);
    for (let y = 0; y < height; ++y) {
        const row = rows.subarray(y * rowBytes, (y + 1) * rowBytes);
        if (bitDepth === 16) {
            for (let i = 0; i < rowBytes; i += 2) {
                raw[i] = row[i + 1];
                raw[i + 1] = row[i];
            }
        } else {
            raw.set(row);
        }
        const at = y * (1 + rowBytes);
        out[at] = filter;
        for (let i = 0; i < rowBytes; ++i) {
            const left = i >= bpp ? raw[i - bpp] : 0;
            const upLeft = i >= bpp ? previous[i - bpp] : 0;
            const predicted = filter === kSub ? left : filter === kUp ? previous[i]
                : paeth(left, previous[i], upLeft);
            out[at + 1 + i] = raw[i] - predicted;
        }
        previous.set(raw);
    }
    return out;
}

// rows: the samples row after row, 16-bit ones in the machine's order;
// colour one of grey, rgb, rgba, indexed (with palette, RGB triples).
export function pngFile({ width, height, bitDepth, colour, rows, palette = null }) {
    const rowBytes = Math.ceil((width * kChannels[colour] * bitDepth) / 8);
    const bpp = Math.max(1, (kChannels[colour] * bitDepth) / 8);
    const { filter, strategy } = encodingOf(colour, bitDepth);
    const data = deflate(filteredRows(rows, height, rowBytes, bpp, bitDepth, filter),
        { level: 1, strategy });
    const header = new Uint8Array(13);
    const view = new DataView(header.buffer);
    view.setUint32(0, width);
    view.setUint32(4, height);
    header.set([bitDepth, kColourTypes[colour], 0, 0, 0], 8);
    const parts = [new Uint8Array(kSignature), chunk('IHDR', header)];
    if (palette) parts.push(chunk('PLTE', palette));
    for (let at = 0; at < data.length; at += kChunkData) {
        parts.push(chunk('IDAT', data.subarray(at, at + kChunkData)));
    }
    parts.push(chunk('IEND', new Uint8Array(0)));
    return joined(parts);
}

export function joined(parts) {
    const bytes = new Uint8Array(parts.reduce((sum, part) => sum + part.length, 0));
    let at = 0;
    for (const part of parts) {
        bytes.set(part, at);
        at += part.length;
    }
    return bytes;
}

// A BMP of 4 or 8 bits a pixel as a palette PNG: its palette in its order,
// its indices from the top row down.
export function mapPng(bmp) {
    const view = new DataView(bmp.buffer, bmp.byteOffset, bmp.byteLength);
    const offBits = view.getInt32(10, true);
    const width = view.getInt32(18, true);
    const height = view.getInt32(22, true);
    const bitDepth = view.getUint16(28, true);
    const colours = view.getUint32(46, true);
    const palette = new Uint8Array(3 * colours);
    for (let i = 0; i < colours; ++i) {
        palette.set([bmp[56 + 4 * i], bmp[55 + 4 * i], bmp[54 + 4 * i]], 3 * i);  // BGR0 to RGB
    }
    const stride = Math.floor((bitDepth * width + 31) / 32) * 4;
    const rowBytes = Math.ceil((bitDepth * width) / 8);
    const rows = new Uint8Array(height * rowBytes);
    for (let y = 0; y < height; ++y) {
        const from = offBits + (height - 1 - y) * stride;
        rows.set(bmp.subarray(from, from + rowBytes), y * rowBytes);
    }
    return pngFile({ width, height, bitDepth, colour: 'indexed', rows, palette });
}
