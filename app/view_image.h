#pragma once

#include <QImage>
#include <QWidget>

// The picture control of the map view: shows the view bitmap at its top-left corner, never
// stretched. The map window renders into Bitmap() and calls update().
class TViewImage : public QWidget {
    Q_OBJECT

public:
    explicit TViewImage(QWidget *parent);

    QImage &Bitmap() { return FBitmap; }
    const QImage &Bitmap() const { return FBitmap; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage FBitmap;
};
