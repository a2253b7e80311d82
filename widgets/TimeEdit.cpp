#include "widgets/TimeEdit.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace lumetra {
namespace {

int SectionMaximum(QDateTimeEdit::Section section) {
    return section == QDateTimeEdit::HourSection ? 23 : 59;
}

QTime WithSection(const QTime& time, QDateTimeEdit::Section section, int value) {
    switch (section) {
        case QDateTimeEdit::HourSection:
            return QTime(value, time.minute(), time.second());
        case QDateTimeEdit::MinuteSection:
            return QTime(time.hour(), value, time.second());
        default:
            return QTime(time.hour(), time.minute(), value);
    }
}

bool IsModifierKey(int key) {
    switch (key) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Meta:
        case Qt::Key_CapsLock:
            return true;
        default:
            return false;
    }
}

}  // namespace

CTimeEdit::CTimeEdit(QWidget* parent) : QTimeEdit(parent) {
    setDisplayFormat(QStringLiteral("HH:mm:ss"));
}

void CTimeEdit::keyPressEvent(QKeyEvent* event) {
    // Shift (for ":") and the other modifier keys arrive as presses of their own: they must not
    // throw away the digits typed so far.
    if (IsModifierKey(event->key())) return QTimeEdit::keyPressEvent(event);
    const QString text = event->text();
    const bool digit = text.size() == 1 && text[0] >= u'0' && text[0] <= u'9';
    if (!digit && text != QStringLiteral(":")) {
        m_typed.clear();
        QTimeEdit::keyPressEvent(event);
        return;
    }
    // Typing over the whole text starts again at the hours.
    if (lineEdit()->hasSelectedText() && lineEdit()->selectedText() == lineEdit()->text()) {
        m_typed.clear();
        SelectSection(0);
    }
    if (currentSectionIndex() != m_typedSection) m_typed.clear();
    if (digit) {
        TypeDigit(text[0].digitValue());
    } else if (!m_typed.isEmpty()) {
        FinishSection();
    }
    event->accept();
}

void CTimeEdit::TypeDigit(int digit) {
    const int index = currentSectionIndex();
    const Section section = sectionAt(index);
    const int maximum = SectionMaximum(section);
    m_typed += QString::number(digit);
    if (m_typed.toInt() > maximum) m_typed = QString::number(digit);
    const int value = m_typed.toInt();
    setTime(WithSection(time(), section, value));
    m_typedSection = index;
    SelectSection(index);
    if (m_typed.size() == 2 || value * 10 > maximum) FinishSection();
}

void CTimeEdit::FinishSection() {
    m_typed.clear();
    if (currentSectionIndex() + 1 < sectionCount()) SelectSection(currentSectionIndex() + 1);
}

void CTimeEdit::SelectSection(int index) {
    setCurrentSectionIndex(index);
    setSelectedSection(sectionAt(index));
}

void CTimeEdit::focusInEvent(QFocusEvent* event) {
    m_typed.clear();
    QTimeEdit::focusInEvent(event);
}

void CTimeEdit::mousePressEvent(QMouseEvent* event) {
    m_typed.clear();
    QTimeEdit::mousePressEvent(event);
}

}  // namespace lumetra
