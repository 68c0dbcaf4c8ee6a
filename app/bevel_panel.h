#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

// A panel with up to two one-pixel bevels, drawn as the form designer draws them: the outer
// bevel at the edge, the inner bevel just inside it. Children placed by alignment use
// ClientRect(), which excludes the bevels.
class TPanel : public QWidget {
    Q_OBJECT

public:
    enum class TBevel { None, Raised, Lowered };

    TPanel(QWidget *parent, TBevel outer, TBevel inner, QColor colour);

    // The area inside the bevels, in this panel's coordinates.
    QRect ClientRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TBevel FOuter;
    TBevel FInner;
    QColor FColour;
};

// A gray filled circle (with a dark outline) inside its rectangle; it does nothing. Screen
// readers see it as a graphic, named by its accessibleName.
class TShapeCircle : public QWidget {
    Q_OBJECT

public:
    explicit TShapeCircle(QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A picture repeated side by side from the left edge across the control (a picture marked
// with a device pixel ratio is drawn at its size in view pixels); it does nothing else.
class TTiledPicture : public QWidget {
    Q_OBJECT

public:
    TTiledPicture(QWidget *parent, const QPixmap &picture);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap FPicture;
};
