// Due times moved from a file's time zone to the local clock through QTimeZone.
#include "ui/exchange/zone_conversion.h"

#include <QByteArray>
#include <QDateTime>
#include <QTimeZone>

namespace exchange_flow {

namespace {

QTimeZone ZoneNamed(std::string_view name) {
    if (name == "UTC" || name == "Z") {
        return QTimeZone::utc();
    }
    const QByteArray id(name.data(), static_cast<qsizetype>(name.size()));
    if (QTimeZone zone(id); zone.isValid()) {
        return zone;
    }
    if (const QByteArray iana = QTimeZone::windowsIdToDefaultIanaId(id); !iana.isEmpty()) {
        return QTimeZone(iana);
    }
    // "/vendor/2005/Europe/Berlin": the shortest tail after a slash that names a zone.
    for (qsizetype slash = id.size() - 1; slash >= 0; --slash) {
        if (id[slash] == '/' && slash + 1 < id.size()) {
            if (QTimeZone zone(id.mid(slash + 1)); zone.isValid()) {
                return zone;
            }
        }
    }
    return {};
}

}  // namespace

exchange::ToLocalTime SystemZones() {
    return [](const exchange::WallTime& time,
              std::string_view zoneName) -> std::optional<exchange::WallTime> {
        const QTimeZone zone = ZoneNamed(zoneName);
        const QDateTime there(QDate(time.year, time.month, time.day),
                              QTime(time.hour, time.minute, time.second), zone);
        if (!zone.isValid() || !there.isValid()) {
            return std::nullopt;
        }
        const QDateTime here = there.toLocalTime();
        return exchange::WallTime{here.date().year(), here.date().month(),  here.date().day(),
                                  here.time().hour(), here.time().minute(), here.time().second()};
    };
}

}  // namespace exchange_flow
