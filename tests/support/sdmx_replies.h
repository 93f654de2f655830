#pragma once

// Replies of INSEE's series service in its shape (SDMX 2.1
// StructureSpecificData), made from the published values the build compiled
// in from data/insee/*.csv: no value is typed here.

#include "engine/index_series.h"

#include <QByteArray>
#include <QString>

#include <vector>

struct ReplyObservation {
    QString period, value; // "2026-Q2", "148.37"
};

// The series' published quarters, newest first as the service lists them.
std::vector<ReplyObservation> PublishedObservations(IndexSeries series);
QByteArray SdmxReply(const QString &idbank, const std::vector<ReplyObservation> &observations);
QByteArray PublishedReply(IndexSeries series);
