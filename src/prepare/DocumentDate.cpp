#include "prepare/DocumentDate.h"

#include <QDateTime>
#include <QRegularExpression>

namespace {

int zoneOffsetSeconds(const QString& zone) {
  if (zone.isEmpty() || zone == "Z")
    return 0;
  const int sign = zone.startsWith('-') ? -1 : 1;
  const QString digits = QString(zone.mid(1)).remove(':');
  const int hours = digits.leftRef(2).toInt();
  const int minutes = digits.size() > 2 ? digits.midRef(2).toInt() : 0;
  return sign * (hours * 3600 + minutes * 60);
}

} // namespace

bool parseDocumentDate(const QString& text, qint64& key) {
  static const QRegularExpression pattern(
      "^(\\d{4})(?:-(\\d{2})(?:-(\\d{2})(?:[T ](\\d{2}):(\\d{2})(?::(\\d{2})(?:[.,](\\d+))?)?"
      "(Z|[+-]\\d{2}(?::?\\d{2})?)?)?)?)?$");
  const QRegularExpressionMatch match = pattern.match(text.trimmed());
  if (!match.hasMatch())
    return false;
  const auto number = [&match](int group, int absent) {
    return match.capturedLength(group) > 0 ? match.capturedRef(group).toInt() : absent;
  };
  const QDate date(number(1, 1), number(2, 1), number(3, 1));
  const int milliseconds = static_cast<int>(QString(match.captured(7) + "000").leftRef(3).toInt());
  const QTime time(number(4, 0), number(5, 0), number(6, 0), milliseconds);
  const int zone = zoneOffsetSeconds(match.captured(8));
  if (!date.isValid() || !time.isValid() || qAbs(zone) > 18 * 3600)
    return false;
  key = QDateTime(date, time, Qt::UTC).toMSecsSinceEpoch() - qint64(zone) * 1000;
  return true;
}
