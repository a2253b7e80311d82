#include "pages/DbErrorReport.h"

#include <QCoreApplication>

#include "base/Logger.h"
#include "store/DbError.h"
#include "widgets/MessageBox.h"

namespace lumetra {

void ReportDbError(QWidget* parent, const CDbError& error) {
    // A refusal of the store's rules is a message for the operator, not a fault.
    const bool refused = dynamic_cast<const CRefused*>(&error) != nullptr;
    Logger().Log(refused ? "refused: %s" : "database error: %s", error.what());
    ShowMessage(parent, QString::fromUtf8(error.what()), MbButtons::kOk,
                refused ? MbIcon::kWarning : MbIcon::kError);
}

CDbErrorBox::CDbErrorBox() {
    if (QCoreApplication* app = QCoreApplication::instance()) moveToThread(app->thread());
}

void CDbErrorBox::Report(const std::string& text) {
    Logger().Log("database error: %s", text.c_str());
    QMetaObject::invokeMethod(
        this, [this, qText = QString::fromStdString(text)] { Show(qText); }, Qt::QueuedConnection);
}

void CDbErrorBox::Show(const QString& text) {
    if (m_box) {
        m_box->setText(m_first + QStringLiteral("（另有 %1 次）").arg(++m_repeats));
        return;
    }
    m_first = text;
    m_repeats = 0;
    m_box = new QMessageBox(QMessageBox::Critical, QString::fromUtf8(kAppCaption), text, QMessageBox::Ok);
    m_box->setAttribute(Qt::WA_DeleteOnClose);
    m_box->setModal(false);
    m_box->show();
}

void CDbErrorBox::Close() {
    if (m_box) m_box->close();
}

QString CDbErrorBox::OpenText() const {
    return m_box && m_box->isVisible() ? m_box->text() : QString();
}

CDbErrorBox& DbErrorBox() {
    static CDbErrorBox box;
    return box;
}

}  // namespace lumetra
