#include "pages/Page.h"

#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace lumetra {

CPage::CPage(const QRect& place, QWidget* parent) : QWidget(parent) {
    setGeometry(place);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(236, 242, 248));
    setPalette(palette);
}

void CPage::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

CPendingPage::CPendingPage(const QString& title, const QRect& place, QWidget* parent) : CPage(place, parent) {
    auto* group = new QGroupBox(title, this);
    auto* note = new QLabel(QStringLiteral("此页面的功能将在后续版本中提供。"), group);
    note->setAlignment(Qt::AlignCenter);
    auto* inner = new QVBoxLayout(group);
    inner->addWidget(note);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(group);
}

}  // namespace lumetra
