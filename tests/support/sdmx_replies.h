#pragma once

// Replies of INSEE's series service in the shape the service gives
// (SDMX 2.1 StructureSpecificData), made from the published values the
// build compiled in from data/insee/*.csv: no value is typed here.

#include "engine/index_series.h"

#include <QByteArray>
#include <QString>

#include <vector>

struct ReplyObservation {
    QString period; // "2026-Q2"
    QString value;  // "148.37"
};

// The series' published quarters, newest first as the service lists them,
// each value with the decimals the series is published with.
std::vector<ReplyObservation> PublishedObservations(IndexSeries series);

// A reply for the series `idbank` holding `observations`.
QByteArray SdmxReply(const QString &idbank, const std::vector<ReplyObservation> &observations);

// The whole published series.
QByteArray PublishedReply(IndexSeries series);
