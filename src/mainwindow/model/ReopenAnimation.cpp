// One step of the reopen labels' typewriter animation.
#include "mainwindow/model/ReopenAnimation.h"

bool ReopenAnimation::Tick(const QStringList& displayTexts, Label (&labels)[kLabels]) {
    characterCount_ += kCharactersPerTick;
    if (labelIndex_ >= kLabels) {
        characterCount_ = 0;
        return false;
    }
    Label& label = labels[labelIndex_];
    label.visible = displayTexts.size() > labelIndex_;
    const QString full = label.visible ? displayTexts[labelIndex_] : QString();
    if (label.visible) label.text = full.left(characterCount_);
    if (full.size() <= characterCount_) {
        ++labelIndex_;
        characterCount_ = 0;
    }
    return true;
}

void ReopenAnimation::ShowAll(const QStringList& displayTexts, Label (&labels)[kLabels]) {
    for (int i = 0; i < kLabels; ++i) {
        labels[i].visible = displayTexts.size() > i;
        labels[i].text = labels[i].visible ? displayTexts[i] : QString();
    }
}
