#include "widgets/MessageBox.h"

#include <QMessageBox>
#include <QPushButton>

namespace lumetra {
namespace {

class CModalMessageBox : public IMessageBox {
public:
    MbResult Show(QWidget* parent, const QString& text, const QString& caption, MbButtons buttons,
                  MbIcon icon) override {
        QMessageBox box(ToQt(icon), caption, text,
                        buttons == MbButtons::kOk ? QMessageBox::Ok : QMessageBox::Ok | QMessageBox::Cancel,
                        parent);
        if (buttons == MbButtons::kSaveAnywayOrReturn) {
            box.button(QMessageBox::Ok)->setText(QStringLiteral("仍然保存"));
            box.button(QMessageBox::Cancel)->setText(QStringLiteral("返回修改"));
        }
        if (buttons == MbButtons::kSaveAnywayOrReturn || buttons == MbButtons::kOkCancelSafe)
            box.setDefaultButton(QMessageBox::Cancel);
        return box.exec() == QMessageBox::Ok ? MbResult::kOk : MbResult::kCancel;
    }

private:
    static QMessageBox::Icon ToQt(MbIcon icon) {
        switch (icon) {
            case MbIcon::kInformation:
                return QMessageBox::Information;
            case MbIcon::kQuestion:
                return QMessageBox::Question;
            case MbIcon::kWarning:
                return QMessageBox::Warning;
            case MbIcon::kError:
                return QMessageBox::Critical;
            case MbIcon::kNone:
                break;
        }
        return QMessageBox::NoIcon;
    }
};

CModalMessageBox g_modalBoxes;
IMessageBox* g_boxes = &g_modalBoxes;

}  // namespace

IMessageBox& MessageBoxes() {
    return *g_boxes;
}

void SetMessageBoxes(IMessageBox* boxes) {
    g_boxes = boxes ? boxes : &g_modalBoxes;
}

MbResult ShowMessage(QWidget* parent, const QString& text, MbButtons buttons, MbIcon icon,
                     const QString& caption) {
    return MessageBoxes().Show(parent, text, caption, buttons, icon);
}

}  // namespace lumetra
