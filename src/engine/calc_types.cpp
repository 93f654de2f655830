#include "engine/calc_types.h"

void CalcDocument::Clear() {
    *this = CalcDocument{};
}
