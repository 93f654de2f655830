#pragma once

#include "engine/index_series.h"

#include <span>

// One published quarter of a shipped series: its table position and the
// value as the CSV of data/insee/ gives it.
struct PublishedQuarter {
    int position;
    double value;
};

// The rows of a series' CSV, in the order of their positions. Defined by a
// source the build writes from data/insee/*.csv.
std::span<const PublishedQuarter> PublishedQuarters(IndexSeries series);
