// Database failures reach the operator in one way: a message box with the database's own text.
#pragma once

class QWidget;

namespace lumetra {

class CDbError;

void ReportDbError(QWidget* parent, const CDbError& error);

}  // namespace lumetra
