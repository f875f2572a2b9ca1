// One clickable line of the reopen list on the Open tab: opaque while the mouse is over it or it has the
// focus (Tab reaches it), and clicking it or Enter reopens the source it names.
#pragma once

#include <QLabel>

class ReopenLabel : public QLabel {
    Q_OBJECT
public:
    // index: the label's place in the reopen list (0 = newest).
    ReopenLabel(int index, QWidget* parent = nullptr);
    int Index() const { return index_; }
    // Opaque (the mouse is over it, or it has the focus).
    bool Opaque() const { return autoFillBackground(); }

signals:
    void Clicked(int index);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showLit();

    int index_;
    bool hovered_ = false;
};
