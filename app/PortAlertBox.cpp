#include "app/PortAlertBox.h"

#include "base/Logger.h"
#include "widgets/MessageBox.h"

namespace lumetra {
namespace {

// "写端口失败 5" and "写端口失败 110" are the same kind of failure: the text up to its error number.
QString KindOf(const QString& text, const QString& caption) {
    QString kind = text;
    while (!kind.isEmpty() && (kind.back().isDigit() || kind.back().isSpace())) kind.chop(1);
    return caption + QLatin1Char('|') + kind;
}

}  // namespace

void CPortAlertBox::ShowPortError(const std::string& text, const std::string& caption) {
    Logger().Log("port alert: %s", text.c_str());
    if (m_closed) return;
    const QString qText = QString::fromStdString(text);
    const QString qCaption =
        caption.empty() ? QString::fromUtf8(kAppCaption) : QString::fromStdString(caption);
    // Queued even from the user-interface thread: the caller may hold the link's locks.
    QMetaObject::invokeMethod(
        this, [this, qText, qCaption] { Open(KindOf(qText, qCaption), qText, qCaption); },
        Qt::QueuedConnection);
}

void CPortAlertBox::LinkRestored() {
    QMetaObject::invokeMethod(
        this, [this] { CloseAll(); }, Qt::QueuedConnection);
}

void CPortAlertBox::Close() {
    m_closed = true;
    CloseAll();
}

void CPortAlertBox::Open(const QString& kind, const QString& text, const QString& caption) {
    if (m_closed) return;
    QPointer<QMessageBox>& box = m_boxes[kind];
    if (box) return;  // the operator has not closed the last one of this kind yet
    box = new QMessageBox(QMessageBox::Critical, caption, text, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

void CPortAlertBox::CloseAll() {
    for (auto& [kind, box] : m_boxes)
        if (box) box->close();
    m_boxes.clear();
}

QStringList CPortAlertBox::OpenTexts() const {
    QStringList texts;
    for (const auto& [kind, box] : m_boxes)
        if (box && box->isVisible()) texts << box->text();
    return texts;
}

CPortAlertBox& PortAlertBox() {
    static CPortAlertBox box;
    return box;
}

}  // namespace lumetra
