// Answers the program's message boxes in place of an operator and remembers every box shown.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

#include "widgets/MessageBox.h"

namespace lumetra::test {

struct ShownBox {
    QString text;
    QString caption;
    MbButtons buttons;
    MbIcon icon;
};

class CScriptedMessageBoxes : public IMessageBox {
public:
    // Installs itself for its lifetime.
    CScriptedMessageBoxes();
    ~CScriptedMessageBoxes() override;

    MbResult Show(QWidget* parent, const QString& text, const QString& caption, MbButtons buttons,
                  MbIcon icon) override;

    // The next boxes are answered with these, in order; after them every box gets OK.
    void Answer(std::initializer_list<MbResult> answers) { m_answers.insert(m_answers.end(), answers); }
    const std::vector<ShownBox>& Shown() const { return m_shown; }
    QStringList Texts() const;
    void Clear() { m_shown.clear(); }

private:
    std::deque<MbResult> m_answers;
    std::vector<ShownBox> m_shown;
};

}  // namespace lumetra::test
