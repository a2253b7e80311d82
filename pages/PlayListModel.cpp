#include "pages/PlayListModel.h"

namespace lumetra {

int CPlayListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

QVariant CPlayListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count()) return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    return QString::fromStdString(Path(index.row()));
}

int CPlayListModel::Append(const std::vector<std::string>& paths) {
    std::vector<std::string> added;
    for (const std::string& path : paths) {
        if (m_uses.count(path)) continue;
        m_uses[path] = 1;
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
    for (const std::string& path : m_paths) ++m_uses[path];
    endResetModel();
}

void CPlayListModel::RemoveAt(int row) {
    if (row < 0 || row >= Count()) return;
    beginRemoveRows(QModelIndex(), row, row);
    const auto at = m_paths.begin() + row;
    if (--m_uses[*at] == 0) m_uses.erase(*at);
    m_paths.erase(at);
    endRemoveRows();
}

void CPlayListModel::Clear() {
    Replace({});
}

}  // namespace lumetra
