#ifndef TEXTFERRO_DOCUMENTDATE_H
#define TEXTFERRO_DOCUMENTDATE_H

// Dates of a document table as one sortable key, milliseconds since
// 1970-01-01T00:00Z. Accepted: plain years ("1998"), ISO 8601 calendar dates
// ("1998-04", "1998-04-17") and date-times ("1998-04-17T09:30", with seconds, a
// fraction and a zone "Z", "+02:00", "+0200" or "+02"; a blank may stand for the
// "T"). A year or a date stands for its first instant. A date-time without a
// zone is read as UTC, so that the order never depends on the machine's zone.

#include <QString>

// Returns false, leaving `key` unchanged, when `text` (trimmed) is none of these.
bool parseDocumentDate(const QString& text, qint64& key);

#endif
