#include "engine/index_update.h"

#include "engine/index_series.h"
#include "engine/number_text.h"
#include "engine/packed_date.h"
#include "engine/sdmx_reader.h"
#include "platform/message_format.h"
#include "platform/string_table.h"

IndexUpdatePlan PlanIndexUpdate(const IndexTable &table, const IndexTable &published) {
    IndexUpdatePlan plan;
    for (int position = 0; position < IndexTable::kListedSize; ++position) {
        const float value = published.At(position);
        if (value == 0.0f)
            continue;
        const float held = table.At(position);
        if (held == 0.0f)
            plan.fills.push_back({position, held, value});
        else if (!SameIndexValue(static_cast<double>(held), static_cast<double>(value)))
            plan.differing.push_back({position, held, value});
    }
    return plan;
}

void ApplyIndexUpdate(IndexTable &table, const IndexUpdatePlan &plan, bool replaceDiffering) {
    for (const IndexChange &change : plan.fills)
        table.Set(change.position, change.to);
    if (!replaceDiffering)
        return;
    for (const IndexChange &change : plan.differing)
        table.Set(change.position, change.to);
}

QString QuarterName(int position) {
    return QString::number(PackedDate::kFirstYear + position / 4) + QStringLiteral(" - Trim ") +
           QString::number(position % 4 + 1);
}

QString IndexChangeText(const IndexChange &change) {
    return QuarterName(change.position) + QStringLiteral(" : ") +
           FormatNumber(static_cast<double>(change.from), 2) + QStringLiteral(" → ") +
           FormatNumber(static_cast<double>(change.to), 2);
}

QString UnreadableObservationsText(const SdmxReadOutcome &outcome) {
    if (outcome.unreadable == 0)
        return {};
    QString names = outcome.unreadableNames.join(QStringLiteral(", "));
    if (outcome.unreadable > outcome.unreadableNames.size())
        names += QStringLiteral(", …");
    return FormatPrintf(LoadString(IDS_INSEE_UNREADABLE),
                        {static_cast<long long>(outcome.unreadable), names});
}
