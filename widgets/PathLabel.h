// A label for a file path that may be longer than its room: it draws the path shortened in the
// middle, so the folder's start and the file name both stay readable, and shows the whole path in
// its tooltip. text() keeps the whole path.
#pragma once

#include <QLabel>

namespace lumetra {

class CPathLabel : public QLabel {
    Q_OBJECT
public:
    explicit CPathLabel(QWidget* parent);

    void SetPath(const QString& path);
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace lumetra
