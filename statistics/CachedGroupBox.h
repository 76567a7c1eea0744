#pragma once

#include <QGroupBox>
#include <QPixmap>

// A group box whose frame and title the style draws once per size into a picture: the
// style loads its frame image anew at every paint, and the values inside repaint four
// times a second.
class CachedGroupBox : public QGroupBox {
    Q_OBJECT

public:
    explicit CachedGroupBox(const QString& title, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QPixmap frame_;  // empty until the next paint draws it
};
