// Every message box of the user interface goes through one small interface, so tests can answer
// the boxes instead of a person. Boxes without a caption of their own show the program's name.
#pragma once

#include <QString>

class QWidget;

namespace lumetra {

inline constexpr const char* kAppCaption = "Lumetra";

// SaveAnywayOrReturn: "仍然保存" answers Ok, "返回修改" Cancel. OkCancelSafe: Cancel is the default, for a
// question whose Ok starts something drastic.
enum class MbButtons { kOk, kOkCancel, kOkCancelSafe, kSaveAnywayOrReturn };
enum class MbIcon { kNone, kInformation, kQuestion, kWarning, kError };
enum class MbResult { kOk, kCancel };

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    // Shows a modal box and returns the button that closed it.
    virtual MbResult Show(QWidget* parent, const QString& text, const QString& caption, MbButtons buttons,
                          MbIcon icon) = 0;
};

// The boxes in use; SetMessageBoxes(nullptr) restores the real, modal ones.
IMessageBox& MessageBoxes();
void SetMessageBoxes(IMessageBox* boxes);

MbResult ShowMessage(QWidget* parent, const QString& text, MbButtons buttons = MbButtons::kOk,
                     MbIcon icon = MbIcon::kNone, const QString& caption = QString::fromUtf8(kAppCaption));

}  // namespace lumetra
