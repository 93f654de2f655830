#include "platform/message_format.h"

QString FormatPrintf(const QString &format, const std::vector<MessageArg> &args) {
    QString out;
    out.reserve(format.size() + 32);
    std::size_t next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c != u'%' || i + 1 >= format.size()) {
            out.append(c);
            continue;
        }
        const QChar conversion = format[i + 1];
        if (conversion == u'%') {
            out.append(u'%');
            ++i;
            continue;
        }
        if (conversion != u's' && conversion != u'd' && conversion != u'u') {
            out.append(c);
            continue;
        }
        if (next >= args.size()) {
            out.append(c);
            continue;
        }
        const MessageArg &arg = args[next];
        if (conversion == u's' && std::holds_alternative<QString>(arg)) {
            out.append(std::get<QString>(arg));
        } else if (conversion == u'd' && std::holds_alternative<long long>(arg)) {
            out.append(QString::number(std::get<long long>(arg)));
        } else if (conversion == u'u' && std::holds_alternative<unsigned long long>(arg)) {
            out.append(QString::number(std::get<unsigned long long>(arg)));
        } else if (conversion == u'u' && std::holds_alternative<long long>(arg)) {
            // "%u" of a signed value prints its 32-bit unsigned reading.
            out.append(QString::number(static_cast<quint32>(std::get<long long>(arg))));
        } else if (conversion == u'd' && std::holds_alternative<unsigned long long>(arg)) {
            out.append(QString::number(static_cast<qint32>(std::get<unsigned long long>(arg))));
        } else {
            out.append(c);
            continue;
        }
        ++next;
        ++i;
    }
    return out;
}

QString FormatFrameworkMessage(const QString &format, const QString &arg1, const QString &arg2) {
    QString out;
    out.reserve(format.size() + arg1.size() + arg2.size());
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] == u'%' && i + 1 < format.size()) {
            if (format[i + 1] == u'1') {
                out.append(arg1);
                ++i;
                continue;
            }
            if (format[i + 1] == u'2') {
                out.append(arg2);
                ++i;
                continue;
            }
        }
        out.append(format[i]);
    }
    return out;
}
