#include "pages/BroadcastText.h"

#include <QStringList>
#include <algorithm>

#include "schedule/TaskConflicts.h"
#include "store/WeekDays.h"

namespace lumetra {
namespace {

std::tm Local(std::time_t moment) {
    std::tm local{};
    localtime_r(&moment, &local);
    return local;
}

}  // namespace

QString TimeOfDayText(std::time_t moment) {
    const std::tm local = Local(moment);
    return QString::asprintf("%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
}

QString DateText(std::time_t moment) {
    const std::tm local = Local(moment);
    return QString::asprintf("%04d-%02d-%02d ", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           QStringLiteral("星期") + QString::fromUtf8(DayName(local.tm_wday + 1));
}

QString ReceiverText(const ChannelFlags& channels) {
    QStringList numbers;
    for (size_t i = 0; i < channels.size(); ++i)
        if (channels[i]) numbers << QString::number(i + 1);
    return numbers.join(QStringLiteral("、"));
}

QString ZoneText(const ChannelFlags& channels, const std::vector<ZoneNode>& zones) {
    const auto switched = [&](int channel) {
        return channel >= 1 && channel <= kChannelCount && channels[static_cast<size_t>(channel - 1)];
    };
    QStringList names;
    ChannelFlags rest = channels;
    for (const ZoneNode& zone : zones) {
        const std::string name = LabelName(zone.label);
        if (zone.areaId == 0 || name.empty() || zone.channels.empty() ||
            !std::ranges::all_of(zone.channels,
                                 [&](const std::string& c) { return switched(LabelNumber(c)); }))
            continue;
        names << QString::fromStdString(name);
        for (const std::string& channel : zone.channels)
            rest[static_cast<size_t>(LabelNumber(channel) - 1)] = 0;
    }
    const QString numbers = ReceiverText(rest);
    if (!numbers.isEmpty()) names << numbers;
    return names.join(QStringLiteral("、"));
}

QString OutletText(const OutletSet& outlets) {
    QStringList named;
    for (size_t k = 0; k < outlets.size(); ++k)
        if (outlets[k]) named << QStringLiteral("%1号").arg(k + 1);
    return named.join(QStringLiteral("、"));
}

QString ConflictText(const std::string& otherName, const TaskConflict& conflict) {
    auto span = [](const PlannedBroadcast& b) {
        return TimeOfDayText(b.start) + QStringLiteral("–") +
               (b.end ? TimeOfDayText(b.end) : QStringLiteral("…"));
    };
    QString text = QStringLiteral("“%1” %2 %3（本任务 %4）")
                       .arg(QString::fromStdString(otherName), DateText(conflict.theirs.start),
                            span(conflict.theirs), span(conflict.mine));
    const QString receivers = ReceiverText(conflict.sharedZones),
                  outlets = OutletText(conflict.sharedOutlets);
    if (!receivers.isEmpty()) text += QStringLiteral("，共用接收机 ") + receivers;
    if (!outlets.isEmpty()) text += QStringLiteral("，共用外设 ") + outlets;
    return text;
}

}  // namespace lumetra
