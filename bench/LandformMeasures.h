#pragma once

#include "terrain/Heightmap.h"

namespace morvik {

// What a geomorphologist measures of a 16-bit heightmap as written, its sea
// at or below its sea level.
struct LandformMeasures {
    double seaPercent;          // of the map
    double flatPercent;         // of the land, in flats of 50 cells or more (a drop of 2 or less)
    double largestFlatPercent;  // of the land, the largest such flat
    double concavity;           // -d log S / d log A, binned medians, A from 100 to cells / 200
    double concavityFit;        // the same fitted to every such cell
    double hack;                // d log L / d log A of the main streams, A of 300 or more
    double edgeGentle;          // gentle ground within 16 cells of an edge against inland
    double islets;              // islands under 50 cells
    double coastDimension;      // box-count dimension of the coastline, boxes of 2..64
    double inlandP99;           // 99th percentile of inland land's height above the sea
};

LandformMeasures MeasureLandforms(const Heightmap& map);

}  // namespace morvik
