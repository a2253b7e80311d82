// The instant-play page's list: full file paths in the order added, never sorted. The operator's
// additions skip paths already in the list; a task's list is taken as the task gives it. A path
// whose file did not exist when it was listed is marked in red with "（文件不存在）".
#pragma once

#include <QAbstractListModel>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace lumetra {

class CPlayListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Appends each path that is not yet in the list (exact comparison of the whole path, earlier
    // paths of the same batch included); returns how many were appended.
    int Append(const std::vector<std::string>& paths);
    // The list becomes `paths`, in their order, repeats included.
    void Replace(const std::vector<std::string>& paths);
    void RemoveAt(int row);
    void Clear();

    int Count() const { return static_cast<int>(m_paths.size()); }
    const std::string& Path(int row) const { return m_paths.at(static_cast<size_t>(row)); }
    const std::vector<std::string>& Paths() const { return m_paths; }

private:
    void NoteMissing(const std::string& path);

    std::vector<std::string> m_paths;
    std::unordered_set<std::string> m_missing;    // listed paths whose file did not exist
    std::unordered_map<std::string, int> m_uses;  // how often each path stands in the list
};

}  // namespace lumetra
