#pragma once

// Today's date as the user's machine has it.
struct LocalDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

class IClock {
public:
    virtual ~IClock() = default;
    virtual LocalDate Today() const = 0;
};

// The machine's local date and time.
class SystemClock final : public IClock {
public:
    LocalDate Today() const override;
};
