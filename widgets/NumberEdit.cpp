#include "widgets/NumberEdit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace lumetra {

CNumberEdit::CNumberEdit(double minimum, double maximum, double step, int decimals, QWidget* parent)
    : QWidget(parent), m_minimum(minimum), m_maximum(maximum), m_step(step), m_decimals(decimals) {
    m_edit = new QLineEdit(this);
    m_edit->installEventFilter(this);
    m_up = new QToolButton(this);
    m_up->setArrowType(Qt::UpArrow);
    m_down = new QToolButton(this);
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton* button : {m_up, m_down}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(16, 11);
    }
    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(0);
    buttons->addWidget(m_up);
    buttons->addWidget(m_down);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(m_edit);
    layout->addLayout(buttons);
    setFocusProxy(m_edit);
    connect(m_up, &QToolButton::clicked, this, [this] { StepBy(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { StepBy(-1); });
}

void CNumberEdit::SetValue(double value) {
    m_edit->setText(QString::number(value, 'f', m_decimals));
}

std::optional<double> CNumberEdit::Value() const {
    const QString text = m_edit->text().trimmed();
    // Plain decimals only: "1e2", "inf" or "0x10" are not what an operator means by a number.
    static const QRegularExpression kPlainDecimal(QStringLiteral("^[+-]?([0-9]+[.]?[0-9]*|[.][0-9]+)$"));
    if (!kPlainDecimal.match(text).hasMatch()) return std::nullopt;
    bool ok = false;
    const double value = m_decimals == 0 ? text.toInt(&ok) : text.toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

void CNumberEdit::StepBy(int steps) {
    const std::optional<double> value = Value();
    if (!value) return;
    SetValue(std::clamp(*value + steps * m_step, m_minimum, m_maximum));
}

bool CNumberEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            StepBy(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace lumetra
