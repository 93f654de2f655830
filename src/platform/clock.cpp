#include "platform/clock.h"

#include <QDate>

LocalDate SystemClock::Today() const {
    const QDate d = QDate::currentDate();
    return {d.year(), d.month(), d.day()};
}
