// The frame the zone page's small dialogs share: a fixed size, centred over the owner, and a form
// above the "确定" / "取消" row. None stores anything: the caller reads their fields after OK.
#pragma once

#include <QDialog>

class QDialogButtonBox;
class QFormLayout;

namespace lumetra {

// A small dialog of 270 x 200 pixels, centred over its owner when it opens.
class CSmallDialog : public QDialog {
    Q_OBJECT
public:
    CSmallDialog(const QString& caption, QWidget* owner);

protected:
    void showEvent(QShowEvent* event) override;
    // The form above the "确定" / "取消" row; `buttonsOut` receives that row.
    QFormLayout* FormWithButtons(QDialogButtonBox** buttonsOut = nullptr);
};

}  // namespace lumetra
