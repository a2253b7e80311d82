#include "pages/LedPage.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "link/Frames.h"
#include "pages/DbErrorReport.h"
#include "pages/LedHistoryModel.h"
#include "pages/LedText.h"
#include "station/Station.h"
#include "store/DbError.h"
#include "store/Labels.h"
#include "widgets/MessageBox.h"

namespace lumetra {
namespace {

QString Qt8(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

CLedPage::CLedPage(CStation& station, CDatabase& db, QWidget* parent)
    : CPage(QRect(197, 140, 770, 470), parent), m_station(station), m_table(db), m_sender(station) {
    auto* sendGroup = new QGroupBox(QStringLiteral("LED屏幕文字发送"), this);
    m_address = new QComboBox(sendGroup);
    for (int position = 0; position < kLedScreenCount; ++position)
        m_address->addItem(Qt8(LedAddressLabel(position)));
    m_address->setCurrentIndex(-1);
    m_text = new QPlainTextEdit(sendGroup);
    m_text->setTabChangesFocus(true);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_text->setTabChangesFocus(true);  // Tab leaves the text; Enter starts a new line
    m_hint = new QLabel(Qt8(LedHintText(0)), sendGroup);
    m_status = new QLabel(sendGroup);
    m_status->setWordWrap(true);
    m_send = new QPushButton(QStringLiteral("发送"), sendGroup);
    m_clear = new QPushButton(QStringLiteral("清除"), sendGroup);
    auto* sendGrid = new QGridLayout(sendGroup);
    sendGrid->addWidget(new QLabel(QStringLiteral("编码:"), sendGroup), 0, 0);
    sendGrid->addWidget(m_address, 0, 1);
    sendGrid->addWidget(new QLabel(QStringLiteral("内容："), sendGroup), 1, 0, Qt::AlignTop);
    sendGrid->addWidget(m_text, 1, 1);
    sendGrid->addWidget(m_hint, 2, 1);
    sendGrid->addWidget(m_status, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_send);
    buttons->addWidget(m_clear);
    sendGrid->addLayout(buttons, 4, 1);

    auto* helpGroup = new QGroupBox(QStringLiteral("设置说明"), this);
    auto* help = new QVBoxLayout(helpGroup);
    for (const char* line :
         {"1.内容最多128字节（一个汉字占2字节，英文字母、数字、标点各占1字节）", "2.可控制最多128个LED屏幕",
          "3.点击“发送”会把内容显示到相应编号LED屏幕", "4.点击“关闭”会把相应编号LED屏幕关闭"}) {
        auto* label = new QLabel(QString::fromUtf8(line), helpGroup);
        label->setWordWrap(true);
        help->addWidget(label);
    }
    // Screens cannot be switched off from here: the fourth line stays hidden.
    help->itemAt(3)->widget()->hide();

    auto* historyGroup = new QGroupBox(QStringLiteral("查看备注"), this);
    m_model = new CLedHistoryModel(this);
    m_history = new QTableView(historyGroup);
    m_history->setModel(m_model);
    m_history->setShowGrid(true);
    m_history->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_history->setSelectionMode(QAbstractItemView::SingleSelection);
    m_history->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_history->setTabKeyNavigation(false);
    m_history->verticalHeader()->hide();
    // The columns share the list's width: the time is never cut off, the content takes the rest.
    QHeaderView* header = m_history->horizontalHeader();
    header->setSectionsMovable(true);
    header->setMinimumSectionSize(40);
    for (int column : {CLedHistoryModel::kNumber, CLedHistoryModel::kAddress, CLedHistoryModel::kTime})
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(CLedHistoryModel::kContent, QHeaderView::Stretch);
    m_load = new QPushButton(QStringLiteral("查看备注"), historyGroup);
    auto* historyColumn = new QVBoxLayout(historyGroup);
    historyColumn->addWidget(m_history);
    historyColumn->addWidget(m_load, 0, Qt::AlignRight);

    auto* layout = new QGridLayout(this);
    layout->addWidget(sendGroup, 0, 0);
    layout->addWidget(helpGroup, 1, 0);
    layout->addWidget(historyGroup, 0, 1, 2, 1);
    layout->setColumnStretch(1, 1);

    connect(m_text, &QPlainTextEdit::textChanged, this, &CLedPage::OnTextChanged);
    connect(m_send, &QPushButton::clicked, this, &CLedPage::OnSend);
    connect(m_clear, &QPushButton::clicked, this, &CLedPage::OnClear);
    connect(m_load, &QPushButton::clicked, this, &CLedPage::LoadHistory);
}

void CLedPage::OnTextChanged() {
    const std::string text = m_text->toPlainText().toStdString();
    // The cut looks at no more than the characters that fit, so a huge paste costs no more.
    const std::string kept = CutToGbkBytes(text, kMaxLedTextBytes);
    if (kept.size() == text.size()) {
        m_hint->setText(Qt8(LedHintText(GbkByteCount(text))));
        return;
    }
    // Cut on a character boundary; putting the text back comes here again and sets the hint.
    m_text->setPlainText(Qt8(kept));
    m_text->moveCursor(QTextCursor::End);
    ShowMessage(this, QStringLiteral("不能输入多于128字节（一个汉字占 2 字节）"));
}

void CLedPage::OnSend() {
    LedSendResult result;
    try {
        result = m_sender.Send(m_text->toPlainText().toStdString(), m_address->currentIndex());
    } catch (const CDbError& error) {
        m_status->setText(QStringLiteral("内容已发出，但未能记入备注。"));
        ReportDbError(this, error);
        return;
    }
    if (!result.sent) {
        ShowMessage(this, Qt8(result.refusal));
        return;
    }
    // Screens do not answer: with the link down the text is only in the history.
    const QString screen = Qt8(result.row.address);
    m_status->setText(m_station.IsLinkUp()
                          ? QStringLiteral("已发送到%1，并已记入备注。").arg(screen)
                          : QStringLiteral("联机异常：内容已记入备注，但%1屏幕可能没有收到。").arg(screen));
}

void CLedPage::OnClear() {
    m_text->clear();
    m_address->setCurrentIndex(-1);
    m_status->clear();
}

void CLedPage::LoadHistory() {
    try {
        m_model->SetRows(m_table.History());
    } catch (const CDbError& error) {
        ReportDbError(this, error);
    }
}

}  // namespace lumetra
