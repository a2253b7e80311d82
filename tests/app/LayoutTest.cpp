// Every page and dialog of the main window at its fixed 1024x668, through the program's own start
// path: no visible control is smaller than its minimum size hint (squashed, or its text cut off),
// no wrapped text is shorter than its lines need, and no list has a column cut off: every header
// and cell fits, or a cell is shortened in the middle with its whole text in the tooltip.
#include "AppTestKit.h"
#include "pages/AnnouncementGroup.h"
#include "pages/HistoryPage.h"
#include "pages/ZoneEditor.h"
#include "store/HistoryTable.h"
#include "widgets/ColorList.h"

using namespace lumetra;
using namespace lumetra::test;

namespace {

QString Describe(const QWidget* widget, QSize need) {
    QString text;
    if (auto* label = qobject_cast<const QLabel*>(widget)) text = label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) text = button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(widget)) text = group->title();
    QStringList path;
    for (const QWidget* w = widget; w && w != widget->window(); w = w->parentWidget())
        path.prepend(w->metaObject()->className());
    return QStringLiteral("%1 \"%2\" in %3: %4x%5, needs %6x%7")
        .arg(path.join('/'), text, widget->window()->metaObject()->className())
        .arg(widget->width())
        .arg(widget->height())
        .arg(need.width())
        .arg(need.height());
}

// A header is drawn to its view's size, a box's editor and buttons to the box's size: the view and
// the box are checked. An arrow button without text is drawn to whatever size it was given.
bool IsPartOfControl(const QWidget* widget) {
    const QWidget* parent = widget->parentWidget();
    auto* arrow = qobject_cast<const QToolButton*>(widget);
    return (arrow && arrow->text().isEmpty()) || qobject_cast<const QHeaderView*>(widget) ||
           qobject_cast<const QLineEdit*>(parent) || qobject_cast<const QAbstractSpinBox*>(parent) ||
           qobject_cast<const QComboBox*>(parent);
}

// The cells of `index`'s rows that the view shows and that do not fit, at any depth it shows.
void CutCells(const QAbstractItemView& view, const QHeaderView& header, const QModelIndex& parent,
              QStringList& found) {
    auto* tree = qobject_cast<const QTreeView*>(&view);
    for (int row = 0; row < std::min(view.model()->rowCount(parent), 100); ++row) {
        for (int column = 0; column < header.count(); ++column) {
            const QModelIndex index = view.model()->index(row, column, parent);
            if (header.isSectionHidden(column) || index.data().toString().isEmpty()) continue;
            int need = view.sizeHintForIndex(index).width();
            if (tree && column == 0) need += tree->indentation() * (parent.isValid() ? 2 : 1);
            const bool shortened = view.textElideMode() == Qt::ElideMiddle &&
                                   index.data(Qt::ToolTipRole).toString() == index.data().toString();
            if (header.sectionSize(column) < need && !shortened)
                found << QStringLiteral("cell \"%1\": %2 wide, needs %3")
                             .arg(index.data().toString())
                             .arg(header.sectionSize(column))
                             .arg(need);
        }
        if (tree && tree->isExpanded(view.model()->index(row, 0, parent)))
            CutCells(view, header, view.model()->index(row, 0, parent), found);
    }
}

// Each header of a list that is narrower than its title or out of the list's sight, and each cell
// cut off.
QStringList CutColumns(const QAbstractItemView& view) {
    const QHeaderView* header = nullptr;
    if (auto* table = qobject_cast<const QTableView*>(&view)) header = table->horizontalHeader();
    if (auto* tree = qobject_cast<const QTreeView*>(&view)) header = tree->header();
    if (!header || !view.model()) return {};
    QStringList found;
    for (int column = 0; column < header->count(); ++column) {
        if (header->isSectionHidden(column)) continue;
        const QString title = view.model()->headerData(column, Qt::Horizontal).toString();
        if (header->sectionSize(column) < header->sectionSizeHint(column) ||
            header->sectionPosition(column) + header->sectionSize(column) > header->viewport()->width())
            found << QStringLiteral("column \"%1\" of %2: %3 wide from %4 in %5")
                         .arg(title, view.window()->metaObject()->className())
                         .arg(header->sectionSize(column))
                         .arg(header->sectionPosition(column))
                         .arg(header->viewport()->width());
    }
    CutCells(view, *header, {}, found);
    return found;
}

// Each visible widget of `window` (not of the windows it opens) that has less room than it needs.
QStringList Cramped(QWidget* window) {
    QStringList found;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisible() || widget->window() != window || IsPartOfControl(widget)) continue;
        QSize need = widget->minimumSizeHint();
        if (widget->hasHeightForWidth())
            need.setHeight(std::max(need.height(), widget->heightForWidth(widget->width())));
        if (widget->width() < need.width() || widget->height() < need.height())
            found << Describe(widget, need);
        if (auto* view = qobject_cast<const QAbstractItemView*>(widget)) found << CutColumns(*view);
    }
    return found;
}

// Checks each dialog as it is shown, then closes it.
class CDialogWalker : public QObject {
public:
    CDialogWalker() { qApp->installEventFilter(this); }
    ~CDialogWalker() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (event->type() == QEvent::Show && dialog && dialog->isWindow()) {
            QTimer::singleShot(0, dialog, [this, dialog] {
                seen << dialog->metaObject()->className();
                cramped << Cramped(dialog);
                dialog->reject();
            });
        }
        return false;
    }
    QStringList seen, cramped;
};

}  // namespace

class LayoutTest : public QObject {
    Q_OBJECT

private slots:
    // Each page after its button is pressed, and each dialog its buttons open, at the window's size.
    void everyPageAndDialogHasRoomForEachControl() {
        CPrivateHome home;
        // Long names and paths, and a history with a broadcast's file.
        const std::string path =
            "/srv/广播/audio/2026年春季学期/第一周/星期一早晨/校园广播-晨读与眼保健操音乐.mp3";
        const std::time_t now = std::time(nullptr);
        CMainRig rig(now, [&] {
            InsertTask(AppConnection(), "春季学期第一周星期一早晨的校园广播与眼保健操", sql::kStateIdle,
                       "07:45:00", "08:05:00", 3, "1000", path);
            HistoryEvent event{.at = now - 60, .kind = HistoryKind::kStart, .taskId = "1", .title = "晨读"};
            CHistoryTable(AppConnection()).Write(1, true, event);
            event.kind = HistoryKind::kFileStart, event.detail = path;
            CHistoryTable(AppConnection()).Write(1, false, event);
        });
        rig.LogIn();
        QCOMPARE(rig.main->size(), QSize(1024, 668));
        QStringList cramped;
        for (CMainWindow::ButtonId page :
             {CMainWindow::kTasks, CMainWindow::kPlay, CMainWindow::kReceiver, CMainWindow::kLED,
              CMainWindow::kUsers, CMainWindow::kSettings, CMainWindow::kHistory}) {
            Click(rig.main->Button(page));
            rig.main->HistoryPage()->View()->expandAll();  // the history's lines open as a click opens them
            QApplication::processEvents();
            cramped << Cramped(rig.main);
        }
        // The dialogs, each from the page that opens it.
        CDialogWalker walker;
        const struct {
            CMainWindow::ButtonId page;
            std::function<QAbstractButton*()> opener;
        } dialogs[] = {
            {CMainWindow::kTasks, [&] { return rig.main->TaskListPage()->AddButton(); }},
            {CMainWindow::kTasks,
             [&] {
                 rig.main->TaskListPage()->List()->selectRow(0);
                 return rig.main->TaskListPage()->ModifyButton();
             }},
            {CMainWindow::kTasks, [&] { return rig.main->TaskListPage()->CalendarButton(); }},
            {CMainWindow::kTasks, [&] { return rig.main->TaskListPage()->PreviewButton(); }},
            {CMainWindow::kTasks, [&] { return rig.main->TaskListPage()->TimetablesButton(); }},
            {CMainWindow::kSettings, [&] { return rig.main->SettingsPage()->ZoneEditor()->AddButton(); }},
            {CMainWindow::kPlay, [&] { return rig.main->ZoneControlPage()->Announcement()->SpeechButton(); }},
            {CMainWindow::kLogin, [&] { return rig.main->Button(CMainWindow::kLogin); }},
        };
        for (const auto& dialog : dialogs) {
            Click(rig.main->Button(dialog.page));
            const qsizetype before = walker.seen.size();
            Click(dialog.opener());
            QTRY_COMPARE(walker.seen.size(), before + 1);
        }
        for (QAction* action : rig.main->SystemMenu()->actions())
            if (action->text().startsWith(QStringLiteral("关于"))) action->trigger();
        QTRY_VERIFY(walker.seen.contains("lumetra::CDlgAbout"));
        cramped << walker.cramped;
        for (const QString& control : cramped) qWarning("%s", qPrintable(control));
        QVERIFY2(cramped.isEmpty(), "controls without room (listed above)");
    }
};

QTEST_MAIN(LayoutTest)
#include "LayoutTest.moc"
