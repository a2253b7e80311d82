// Every page and dialog of the main window at its fixed 1024x668, through the program's own start
// path: no visible control is smaller than its minimum size hint (squashed, or its text cut off),
// and no wrapped text is shorter than its lines need.
#include "AppTestKit.h"
#include "pages/AnnouncementGroup.h"
#include "pages/ZoneEditor.h"

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
        CMainRig rig(std::time(nullptr));
        rig.LogIn();
        QCOMPARE(rig.main->size(), QSize(1024, 668));
        QStringList cramped;
        for (CMainWindow::ButtonId page :
             {CMainWindow::kTasks, CMainWindow::kPlay, CMainWindow::kReceiver, CMainWindow::kLED,
              CMainWindow::kUsers, CMainWindow::kSettings, CMainWindow::kHistory}) {
            Click(rig.main->Button(page));
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
            {CMainWindow::kTasks, [&] { return rig.main->TaskListPage()->PreviewButton(); }},
            {CMainWindow::kTasks, [&] { return rig.main->TaskListPage()->CalendarButton(); }},
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
