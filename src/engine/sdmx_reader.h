#pragma once

#include "engine/index_table.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

// The largest reply the reader takes, and the download asks for at most.
inline constexpr qsizetype kMaxSdmxReplyBytes = 2 * 1024 * 1024;

// Why a reply was refused as a whole.
enum class SdmxRefusal {
    None,
    Empty,            // no byte at all
    TooLarge,         // beyond kMaxSdmxReplyBytes
    NotXml,           // not well-formed XML (a reply cut short), or with a DTD
    NotSeriesData,    // XML, but not SDMX 2.1 StructureSpecificData of series
    WrongSeries,      // a series other than the one asked for; detail: its identifier
    NotQuarterly,     // a series whose frequency is not quarterly; detail: FREQ
    DuplicateQuarter, // a quarter given twice; detail: the period
    NoObservation,    // no observation that could be used
};

// What a reply holds for the series asked for.
struct SdmxReadOutcome {
    SdmxRefusal refusal = SdmxRefusal::None;
    QString detail;
    // The published values by table position (1970 Q1 to 2105 Q4), 0 where
    // the reply gives none; all 0 when refused.
    IndexTable values;
    int quarters = 0;   // observations taken
    int outOfRange = 0; // quarters outside 1970-2105, ignored
    // Observations that could not be read (bad period, a value that is not
    // a positive decimal with "."): never taken as 0, counted, and the
    // first ones named as "<period> : « <value> »".
    int unreadable = 0;
    QStringList unreadableNames;
    QString lastUpdate; // the series' LAST_UPDATE, as given
};

// Reads an SDMX 2.1 StructureSpecificData reply of INSEE's statistical data
// service for the series `idbank`: each Series must carry that IDBANK (and
// FREQ "T" when it gives one), each Obs a TIME_PERIOD "YYYY-Qn" and an
// OBS_VALUE that is a finite positive decimal written with ".".
SdmxReadOutcome ReadSdmxSeries(QByteArrayView reply, const QString &idbank);
