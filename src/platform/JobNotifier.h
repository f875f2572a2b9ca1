// How a background job tells windows about itself: signals without data, sent from the job's thread, so a
// receiver on the window's thread gets them queued and reads the job's snapshot there.
#pragma once

#include <QObject>

class JobNotifier : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    // The job has news: its percentage rose, or its own report changed.
    void progressed();
    // The job reached its end (done, stopped or failed); sent once.
    void ended();
};
