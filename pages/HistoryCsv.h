// The history as a CSV file for a spreadsheet: UTF-8 with a byte-order mark (so the Chinese reads
// right when the file is opened by a double click), one row per event with its line's columns,
// fields quoted where needed, CRLF line ends. A field that a spreadsheet would take for a formula
// (one beginning with "=", "+", "-", "@", a tab or a carriage return) starts with an apostrophe.
#pragma once

#include <QByteArray>
#include <vector>

namespace lumetra {

class CHistoryModel;

// The lines `rows` of the model (source rows), in that order.
QByteArray HistoryCsv(const CHistoryModel& model, const std::vector<int>& rows);

}  // namespace lumetra
