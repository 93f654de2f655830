#pragma once

#include <QString>

#include <variant>
#include <vector>

// One argument of a printf-style message: "%s" takes text, "%d" a signed
// and "%u" an unsigned number.
using MessageArg = std::variant<QString, long long, unsigned long long>;

// Formats a numbered message's "%s", "%d" and "%u" placeholders in order,
// with "%%" giving "%". Inserted texts are never themselves interpreted.
// A placeholder without an argument, or of another kind than its argument,
// is written as it stands rather than reading anything it was not given.
QString FormatPrintf(const QString &format, const std::vector<MessageArg> &args);

// The framework's insertion: "%1" and "%2" replaced by the given texts in a
// single pass, so an inserted text that itself holds "%2" stays as it is.
QString FormatFrameworkMessage(const QString &format, const QString &arg1,
                               const QString &arg2 = QString());
