// A time picker ("HH:mm:ss") that takes typing the way operators type a time: with the whole text
// selected, "07:45:00" sets 07:45:00; clicked into a section, digits replace that section's value.
// Two digits, or one that no second digit could follow, finish a section and move to the next;
// ":" finishes a section early. Spin buttons and arrow keys work as in any time picker.
#pragma once

#include <QTimeEdit>

namespace lumetra {

class CTimeEdit : public QTimeEdit {
    Q_OBJECT
public:
    explicit CTimeEdit(QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void TypeDigit(int digit);
    void FinishSection();
    void SelectSection(int index);

    QString m_typed;          // the digits typed so far into the current section
    int m_typedSection = -1;  // the section they went to
};

}  // namespace lumetra
