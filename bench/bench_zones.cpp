// The zone trees with 48 zones and 128 channels: the settings page's LoadZoneTree, the zone control
// page's reload (flags, tree, marks), and a press of "打开选中音箱" up to the frame in the queue.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPushButton>
#include <QTreeWidget>

#include "link/TransmitterLink.h"
#include "pages/ZoneControlPage.h"
#include "pages/ZoneEditor.h"
#include "schedule/SystemClock.h"
#include "station/Station.h"
#include "store/SqlFormat.h"
#include "store/Statements.h"
#include "store/ZoneCatalog.h"
#include "tests/support/TestDatabase.h"
#include "widgets/CheckTree.h"

namespace {

using namespace lumetra;

// 48 zones with names, the 128 channels spread over them, every third one named.
test::TestDatabase& FullDatabase() {
    static test::TestDatabase db;
    static const bool filled = [] {
        CZoneCatalog catalog(db.Db());
        for (int zone = 1; zone <= 48; ++zone) catalog.AddZone(zone, "教学楼 " + std::to_string(zone));
        const std::vector<std::string> labels = catalog.ZoneLabels();
        for (int channel = 1; channel <= 128; ++channel) {
            catalog.MoveChannelToZone(channel, labels[static_cast<size_t>(channel % 48)]);
            if (channel % 3 == 0) catalog.SetSpeakerName(channel, "音箱 " + std::to_string(channel));
        }
        return true;
    }();
    (void)filled;
    return db;
}

// Keeps only the last frame, so the queue does not grow over millions of iterations.
class CLastFrameLink : public CTransmitterLink {
public:
    bool Enqueue(const LinkCommand& command) override {
        last = command;
        return true;
    }
    LinkCommand last;
};

void BM_LoadZoneTree(benchmark::State& state) {
    CZoneEditor editor(FullDatabase().Db(), nullptr);
    for (auto _ : state) editor.LoadZoneTree();
    state.counters["items"] = editor.Tree()->topLevelItemCount();
}
BENCHMARK(BM_LoadZoneTree)->Unit(benchmark::kMillisecond);

// The zone control page on the full database with every other zone checked.
struct ZoneControlRig {
    ZoneControlRig() {
        for (int zone = 0; zone < page.Tree()->topLevelItemCount(); zone += 2)
            CCheckTree::SetCheck(page.Tree()->topLevelItem(zone), true);
    }
    CLastFrameLink link;
    CSystemClock clock;
    CStation station{FullDatabase().Db(), link, clock};
    CZoneControlPage page{station, FullDatabase().Db(), nullptr};
};

void BM_ZoneControlReload(benchmark::State& state) {
    ZoneControlRig rig;
    for (auto _ : state) rig.page.ReloadZones();
}
BENCHMARK(BM_ZoneControlReload)->Unit(benchmark::kMillisecond);

void BM_RefreshFlagsAndOpenChannels(benchmark::State& state) {
    ZoneControlRig rig;
    for (auto _ : state) {
        rig.page.OpenSelectedButton()->click();
        benchmark::DoNotOptimize(rig.link.last.data.data());
    }
}
BENCHMARK(BM_RefreshFlagsAndOpenChannels)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
