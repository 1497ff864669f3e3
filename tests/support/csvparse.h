#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A strict reader of RFC 4180 text, for tests that read back what the program
// wrote: every record must end with CR LF, a quote may stand only around a
// whole field. ok turns false at anything else.
namespace csvparse {

inline QList<QStringList> parse(const QString &text, bool *ok)
{
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false, wasQuoted = false;
    *ok = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c != u'"') {
                field += c;
            } else if (i + 1 < text.size() && text[i + 1] == u'"') {
                field += c;
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == u'"') {
            if (!field.isEmpty() || wasQuoted)
                *ok = false;
            quoted = wasQuoted = true;
        } else if (c == u',') {
            record << field;
            field.clear();
            wasQuoted = false;
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            record << field;
            records << record;
            record.clear();
            field.clear();
            wasQuoted = false;
            ++i;
        } else if (c == u'\r' || c == u'\n' || wasQuoted) {
            *ok = false;
        } else {
            field += c;
        }
    }
    if (quoted || !field.isEmpty() || !record.isEmpty())
        *ok = false; // the last record without its CR LF
    return records;
}

} // namespace csvparse
