#include "widgets/AdministratorOnly.h"

#include <QVariant>
#include <QWidget>

namespace lumetra {
namespace {

// The control's own tip, kept while the operator's tip replaces it.
constexpr const char* kOwnTip = "lumetraOwnToolTip";

}  // namespace

void AllowAdministratorsOnly(QWidget* control, bool administrator) {
    if (!control->property(kOwnTip).isValid()) control->setProperty(kOwnTip, control->toolTip());
    const QString ownTip = control->property(kOwnTip).toString();
    const QString rule = QStringLiteral("只有管理员可以使用");
    control->setEnabled(administrator);
    control->setToolTip(administrator ? ownTip : ownTip.isEmpty() ? rule : ownTip + "：" + rule);
}

}  // namespace lumetra
