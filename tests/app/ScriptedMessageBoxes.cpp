#include "ScriptedMessageBoxes.h"

namespace lumetra::test {

CScriptedMessageBoxes::CScriptedMessageBoxes() {
    SetMessageBoxes(this);
}

CScriptedMessageBoxes::~CScriptedMessageBoxes() {
    SetMessageBoxes(nullptr);
}

MbResult CScriptedMessageBoxes::Show(QWidget*, const QString& text, const QString& caption, MbButtons buttons,
                                     MbIcon icon) {
    m_shown.push_back({text, caption, buttons, icon});
    if (m_answers.empty()) return MbResult::Ok;
    const MbResult answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

QStringList CScriptedMessageBoxes::Texts() const {
    QStringList texts;
    for (const ShownBox& box : m_shown) texts << box.text;
    return texts;
}

}  // namespace lumetra::test
