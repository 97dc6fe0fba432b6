#pragma once

#include "channels/channel_record.h"

#include <QString>

#include <cstdio>
#include <cstdlib>

namespace qm3270::fuzz {

// A broken property is a finding like a crash: say which one and what was seen,
// then abort so that libFuzzer keeps the input that did it.
[[noreturn]] inline void fail(const char* property, const QString& seen) {
    std::fprintf(stderr, "property broken: %s\n%s\n", property, qPrintable(seen));
    std::abort();
}

// A table as one line a row, Null and "" told apart, for the reports above.
inline QString describe(const QString& squelch, const ChannelTable& rows) {
    QString text = QStringLiteral("squelch \"%1\"\n").arg(squelch);
    for (const ChannelRecord& row : rows) {
        for (const Field& field : row.fields) {
            text +=
                field ? QLatin1Char('"') + *field + QLatin1String("\" ") : QStringLiteral("Null ");
        }
        text += QLatin1Char('\n');
    }
    return text;
}

}  // namespace qm3270::fuzz
