// "移动到分区": "默认编码" first, then every zone label as stored. OK stays disabled until a
// zone is chosen, so the caller always gets the label of a zone.
#pragma once

#include <string>
#include <vector>

#include "pages/SmallDialog.h"

class QComboBox;
class QDialogButtonBox;

namespace lumetra {

class CDlgMoveToZone : public CSmallDialog {
    Q_OBJECT
public:
    CDlgMoveToZone(const std::vector<std::string>& zoneLabels, QWidget* owner);

    std::string ZoneLabel() const;

    QComboBox* ZoneList() const { return m_zones; }
    QDialogButtonBox* Buttons() const { return m_buttons; }

private:
    QComboBox* m_zones;
    QDialogButtonBox* m_buttons;
};

}  // namespace lumetra
