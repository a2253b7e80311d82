// The About box, opened from the main window's menu.
#pragma once

#include <QDialog>

namespace lumetra {

class CDlgAbout : public QDialog {
    Q_OBJECT
public:
    explicit CDlgAbout(QWidget* parent);
};

}  // namespace lumetra
