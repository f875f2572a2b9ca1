// One clickable line of the reopen list on the Open tab: opaque while the mouse is over it, and clicking it
// reopens the source it names.
#pragma once

#include <QLabel>

class ReopenLabel : public QLabel {
    Q_OBJECT
public:
    // index: the label's place in the reopen list (0 = newest).
    ReopenLabel(int index, QWidget* parent = nullptr);
    int Index() const { return index_; }
    // Opaque (the mouse is over it).
    bool Opaque() const { return autoFillBackground(); }

signals:
    void Clicked(int index);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int index_;
};
