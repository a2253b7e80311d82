#include "app/ExitQuestion.h"

#include <QFileInfo>

#include "station/Announcer.h"
#include "station/Playback.h"
#include "station/Station.h"

namespace lumetra {
namespace {

// What is on air, in the operator's words; empty when nothing is.
QString OnAir(CStation& station) {
    if (station.InEmergency()) return QStringLiteral("紧急广播");
    if (station.Announcer().IsOn())
        return station.Announcer().IsLive() ? QStringLiteral("讲话广播") : QStringLiteral("文字广播");
    const PlaybackState state = station.Playback().State();
    if (state.status == PlayStatus::kStopped) return {};
    const std::vector<std::string> list = station.Playback().List();
    const QString file = state.current >= 0 && state.current < int(list.size())
                             ? QFileInfo(QString::fromStdString(list[size_t(state.current)])).fileName()
                             : QString();
    return (state.task.empty() ? QStringLiteral("即时播放“%1”") : QStringLiteral("定时任务播放“%1”"))
        .arg(file);
}

}  // namespace

QString ExitQuestion(CStation& station) {
    const QString onAir = OnAir(station);
    if (onAir.isEmpty()) return QStringLiteral("确定要退出吗？");
    return QStringLiteral("%1正在进行，退出后将停止。\n确定要退出吗？").arg(onAir);
}

}  // namespace lumetra
