// A numeric edit field with spin buttons that keeps whatever the operator types: an empty, an
// unreadable or an out-of-range text stays in the field for the reader to refuse, instead of being
// cut to fit or replaced by an earlier value. The buttons and the arrow keys step within the range.
#pragma once

#include <QWidget>
#include <optional>

class QLineEdit;
class QToolButton;

namespace lumetra {

class CNumberEdit : public QWidget {
    Q_OBJECT
public:
    CNumberEdit(double minimum, double maximum, double step, int decimals, QWidget* parent);

    void SetValue(double value);
    // The text as a plain decimal number ("98.5", "-3"); none when it is empty or anything else,
    // an exponent included (with no decimals: not a whole number).
    std::optional<double> Value() const;
    // One step up (positive) or down from the number shown, kept within the range. Does nothing
    // while the text is not a number.
    void StepBy(int steps);

    QLineEdit* LineEdit() const { return m_edit; }
    QToolButton* UpButton() const { return m_up; }
    QToolButton* DownButton() const { return m_down; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    double m_minimum, m_maximum, m_step;
    int m_decimals;
    QLineEdit* m_edit;
    QToolButton* m_up;
    QToolButton* m_down;
};

}  // namespace lumetra
