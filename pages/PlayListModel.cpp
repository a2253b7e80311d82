#include "pages/PlayListModel.h"

#include <QColor>
#include <QFileInfo>

namespace lumetra {

int CPlayListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

QVariant CPlayListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count()) return {};
    const bool missing = m_missing.count(Path(index.row())) > 0;
    if (role == Qt::ForegroundRole) return missing ? QVariant(QColor(200, 0, 0)) : QVariant();
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    return QString::fromStdString(Path(index.row())) +
           (missing ? QStringLiteral("（文件不存在）") : QString());
}

int CPlayListModel::Append(const std::vector<std::string>& paths) {
    std::vector<std::string> added;
    for (const std::string& path : paths) {
        if (m_uses.count(path)) continue;
        m_uses[path] = 1;
        NoteMissing(path);
        added.push_back(path);
    }
    if (added.empty()) return 0;
    beginInsertRows(QModelIndex(), Count(), Count() + static_cast<int>(added.size()) - 1);
    m_paths.insert(m_paths.end(), added.begin(), added.end());
    endInsertRows();
    return static_cast<int>(added.size());
}

void CPlayListModel::Replace(const std::vector<std::string>& paths) {
    beginResetModel();
    m_paths = paths;
    m_uses.clear();
    m_missing.clear();
    for (const std::string& path : m_paths) {
        if (++m_uses[path] == 1) NoteMissing(path);
    }
    endResetModel();
}

void CPlayListModel::RemoveAt(int row) {
    if (row < 0 || row >= Count()) return;
    beginRemoveRows(QModelIndex(), row, row);
    const auto at = m_paths.begin() + row;
    if (--m_uses[*at] == 0) {
        m_uses.erase(*at);
        m_missing.erase(*at);
    }
    m_paths.erase(at);
    endRemoveRows();
}

void CPlayListModel::NoteMissing(const std::string& path) {
    if (!QFileInfo::exists(QString::fromStdString(path))) m_missing.insert(path);
}

void CPlayListModel::Clear() {
    Replace({});
}

}  // namespace lumetra
