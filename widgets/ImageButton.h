// An image button: draws its picture stretched over its rectangle, a light veil while the pointer
// is over it, a darker one while it is held down, and the picture in grey while it is disabled.
#pragma once

#include <QAbstractButton>
#include <QImage>

namespace lumetra {

class CImageButton : public QAbstractButton {
    Q_OBJECT
public:
    CImageButton(const QString& imagePath, const QString& toolTip, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QImage m_image;
    QImage m_disabledImage;
    bool m_hovered = false;
};

}  // namespace lumetra
