#include "tools/world/WorldMosaic.h"

namespace morvik {

namespace {

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Escaped(const std::string& text) {
    std::string escaped;
    for (const char letter : text) {
        switch (letter) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                escaped += letter;
        }
    }
    return escaped;
}

std::string Rect(const char* name, int32_t left, int32_t top, MapSize size) {
    return std::string("      <") + name + " xOff=\"" + std::to_string(left) + "\" yOff=\"" +
           std::to_string(top) + "\" xSize=\"" + std::to_string(size.Width()) + "\" ySize=\"" +
           std::to_string(size.Height()) + "\"/>\n";
}

}  // namespace

std::string MosaicName(const std::string& heightmap) {
    const std::size_t slash = heightmap.rfind('/');
    const std::size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = heightmap.rfind('.');
    if (dot == std::string::npos || dot <= nameAt) dot = heightmap.size();
    return heightmap.substr(0, dot) + ".vrt";
}

std::string HeightmapMosaic(const std::string& heightmap, WorldSize size,
                            const std::vector<Tile>& tiles) {
    std::string text = "<VRTDataset rasterXSize=\"" + std::to_string(size.Width()) +
                       "\" rasterYSize=\"" + std::to_string(size.Height()) + "\">\n" +
                       "  <VRTRasterBand dataType=\"UInt16\" band=\"1\">\n" +
                       "    <ColorInterp>Gray</ColorInterp>\n";
    for (const Tile& tile : tiles) {
        text += "    <SimpleSource>\n      <SourceFilename relativeToVRT=\"1\">" +
                Escaped(BaseName(TileName(heightmap, tile))) +
                "</SourceFilename>\n      <SourceBand>1</SourceBand>\n";
        text += Rect("SrcRect", 0, 0, tile.size);
        text += Rect("DstRect", tile.left, tile.top, tile.size);
        text += "    </SimpleSource>\n";
    }
    text += "  </VRTRasterBand>\n</VRTDataset>\n";
    return text;
}

}  // namespace morvik
