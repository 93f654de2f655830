#include "engine/calc_types.h"

void CalcDocument::Clear() {
    *this = CalcDocument{};
}

float IndexTable::At(int position) const {
    if (position < 0 || position >= kSize)
        return 0.0f;
    return m_values[static_cast<std::size_t>(position)];
}

void IndexTable::Set(int position, float value) {
    if (position >= 0 && position < kSize)
        m_values[static_cast<std::size_t>(position)] = value;
}

int IndexTable::PositionOf(int year, int quarter) {
    return (year - PackedDate::kFirstYear) * 4 + quarter;
}

void IndexTable::Clear() {
    m_values.fill(0.0f);
}
