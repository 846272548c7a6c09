// A layer of the land as the file the batch tool writes for it, from the
// core's rows: heights by the file's ending, every other layer a PNG.
import { exrFile } from './ExrFile.js';
import { pngFile } from './PngFile.js';

// The core's LayerKind::Of and Mask, in their order.
export const kLayer = {
    heightmap: 0, flippedHeightmap: 1, floatHeights: 2, normal: 3, flow: 4, mask: 5, splat: 6,
};
export const kMasks = ['water', 'deposit', 'wear', 'slope', 'sand', 'grass', 'rock', 'snow'];

const endsIn = (name, ending) => name.toLowerCase().endsWith(ending);

export function layerFile(of, name, width, height, rows) {
    const png = (bitDepth, colour) => pngFile({ width, height, bitDepth, colour, rows });
    switch (of) {
        case kLayer.heightmap: return endsIn(name, '.png') ? png(16, 'grey') : rows;
        case kLayer.flippedHeightmap: return rows;
        case kLayer.floatHeights: return endsIn(name, '.exr') ? exrFile(width, height, rows) : rows;
        case kLayer.normal: return png(8, 'rgb');
        case kLayer.flow: return png(16, 'grey');
        case kLayer.mask: return png(8, 'grey');
        case kLayer.splat: return png(8, 'rgba');
    }
    throw new Error(`no layer ${of}`);
}
