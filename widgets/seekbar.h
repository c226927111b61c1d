#ifndef ROTAVIS_SEEKBAR_H
#define ROTAVIS_SEEKBAR_H

#include <QProgressBar>

// The bar under the picture: it shows how far a preview or save has come and, while the window
// lets it, takes a click or a drag as a wish to see the clip at that place. An in and an out
// point of the clip are drawn on it as marks.
class SeekBar : public QProgressBar
{
    Q_OBJECT

public:
    explicit SeekBar(QWidget* parent = nullptr);

    // Whether clicks and drags seek; the bar only shows progress otherwise.
    void setSeekable(bool seekable);
    bool isSeekable() const { return seekable; }

    // The points in the bar's units; -1 for none.
    void setMarks(int inPoint, int outPoint);

signals:
    // A click or drag at `value`, in the bar's units, while the bar is seekable.
    void seekRequested(int value);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int valueAt(int x) const;
    int xOf(int value) const;

    bool seekable = false;
    int inMark = -1;
    int outMark = -1;
};

#endif
