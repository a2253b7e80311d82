#include "pages/HistoryCsv.h"

#include <QStringList>

#include "pages/HistoryModel.h"

namespace lumetra {

namespace {

// A spreadsheet reads a cell that begins with one of these as a formula, even when quoted.
bool CouldStartFormula(const QString& text) {
    static const QString kFormulaStarts = QStringLiteral("=+-@\t\r");
    return !text.isEmpty() && kFormulaStarts.contains(text.front());
}

QString Field(QString text) {
    // The apostrophe makes the spreadsheet show the text as it is instead of computing it.
    if (CouldStartFormula(text)) text.prepend(QLatin1Char('\''));
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

void AddRow(QByteArray& csv, const QStringList& fields) {
    QStringList quoted;
    for (const QString& field : fields) quoted << Field(field);
    csv += quoted.join(QLatin1Char(',')).toUtf8() + "\r\n";
}

}  // namespace

QByteArray HistoryCsv(const CHistoryModel& model, const std::vector<int>& rows) {
    QByteArray csv("\xEF\xBB\xBF");
    AddRow(csv, {QStringLiteral("记录时间"), QStringLiteral("任务/操作"), QStringLiteral("区域"),
                 QStringLiteral("结果"), QStringLiteral("操作员"), QStringLiteral("事件时间"),
                 QStringLiteral("事件"), QStringLiteral("详情"), QStringLiteral("通讯")});
    for (int row : rows) {
        const HistoryRecord& record = model.Record(row);
        for (const HistoryEventRow& event : model.Events(row))
            AddRow(csv, {MomentText(record.firstAt), QString::fromStdString(record.title),
                         QString::fromStdString(record.zones), OutcomeText(record),
                         QString::fromStdString(record.operatorName), MomentText(event.at),
                         QString::fromUtf8(HistoryKindText(event.kind)), QString::fromStdString(event.detail),
                         event.linkUp ? QStringLiteral("正常") : QStringLiteral("中断")});
    }
    return csv;
}

}  // namespace lumetra
