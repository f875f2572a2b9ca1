// The Open tab's widgets and where they stand.
#include "mainwindow/OpenPage.h"

#include <QLabel>
#include <QStyle>

#include "mainwindow/ReopenLabel.h"
#include "widgets/flat/FlatButton.h"

#ifndef STROVANE_VERSION
#define STROVANE_VERSION "0.1"
#endif

namespace {
constexpr int kMargin = 20;
constexpr int kOpenButtonWidth = 220;
constexpr int kButtonHeight = 38;
constexpr int kButtonGap = 10;
constexpr int kReopenLabelHeight = 26;
constexpr int kReopenLabelGap = 6;

constexpr int kGlyphSize = 16;

// Reached by Tab and pressed by Space or Enter (a push button outside a dialog takes Enter only when it
// is an auto-default one).
FlatButton* keyboardButton(FlatButton* b) {
    b->setFocusPolicy(Qt::TabFocus);
    b->setAutoDefault(true);
    return b;
}

FlatButton* button(const QString& text, QWidget* parent) {
    return keyboardButton(new FlatButton(text, parent));
}

// A small picture button beside an open button: it shows the page beneath it until the mouse is over it.
FlatButton* reopenButton(const QIcon& icon, const QString& name, QWidget* parent) {
    FlatButton* b = keyboardButton(new FlatButton(parent));
    b->SetGlyph(icon.pixmap(kGlyphSize, kGlyphSize).toImage());
    b->SetTransparentMode(FlatButton::TransparentMode::NotFocused);
    b->setAccessibleName(name);
    b->setVisible(false);
    return b;
}
} // namespace

OpenPage::OpenPage(QWidget* parent) : QWidget(parent) {
    diskButton = button(QStringLiteral("Открыть диск"), this);
    folderButton = button(QStringLiteral("Открыть папку"), this);
    fileButton = button(QStringLiteral("Открыть файл"), this);
    openIsoButton = button(QStringLiteral("Открыть ISO файл"), this);
    const QIcon reopen = style()->standardIcon(QStyle::SP_BrowserReload);
    reopenDiskBtn = reopenButton(reopen, QStringLiteral("Reopen disk"), this);
    reopenFolderBtn = reopenButton(reopen, QStringLiteral("Reopen folder"), this);
    reopenFileBtn = reopenButton(reopen, QStringLiteral("Reopen file"), this);
    reopenIsoBtn = reopenButton(reopen, QStringLiteral("Reopen ISO image"), this);
    for (int i = 0; i < int(reopenLabels.size()); ++i) {
        reopenLabels[size_t(i)] = new ReopenLabel(i, this);
        reopenLabels[size_t(i)]->setVisible(false);
    }
    unpackButton = button(QStringLiteral("Распаковать файлы"), this);
    burnDvdBtn = button(QStringLiteral("Записать DVD"), this);
    wizardBtn = button(QStringLiteral("Конвертер Карт"), this);
    // The donation page is not part of this program.
    donateBtn = button(QStringLiteral("Поддержать"), this);
    donateBtn->setEnabled(false);
    stayOnTopBtn = button(QStringLiteral("Поверх окон"), this);
    versionLabel = new QLabel(QStringLiteral("Strovane " STROVANE_VERSION), this);
    makerLabel = new QLabel(QStringLiteral("Strovane project"), this);
    setMinimumSize(600, 420);
}

int OpenPage::ReopenTextWidth() const {
    return reopenLabels[0]->width() - 10;
}

void OpenPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    place();
}

void OpenPage::place() {
    int y = kMargin;
    FlatButton* openButtons[] = {diskButton, folderButton, fileButton, openIsoButton};
    FlatButton* reopenButtons[] = {reopenDiskBtn, reopenFolderBtn, reopenFileBtn, reopenIsoBtn};
    for (int i = 0; i < 4; ++i) {
        openButtons[i]->setGeometry(kMargin, y, kOpenButtonWidth, kButtonHeight);
        reopenButtons[i]->setGeometry(kMargin + kOpenButtonWidth + 4, y, kButtonHeight, kButtonHeight);
        y += kButtonHeight + kButtonGap;
    }
    y += 2 * kButtonGap;
    for (FlatButton* tool : {unpackButton, burnDvdBtn, wizardBtn}) {
        tool->setGeometry(kMargin, y, kOpenButtonWidth, kButtonHeight);
        y += kButtonHeight + kButtonGap;
    }

    // The reopen list fills the rest of the width beside the buttons.
    const int labelsLeft = kMargin + kOpenButtonWidth + kButtonHeight + 2 * kMargin;
    const int labelsWidth = std::max(100, width() - labelsLeft - kMargin);
    const int oldWidth = reopenLabels[0]->width();
    for (int i = 0; i < int(reopenLabels.size()); ++i)
        reopenLabels[size_t(i)]->setGeometry(labelsLeft, kMargin + i * (kReopenLabelHeight + kReopenLabelGap),
                                             labelsWidth, kReopenLabelHeight);

    // Bottom edge: the maker label 2 pixels above the bottom, the version label 8 pixels above it; the
    // donate button 4 pixels from the bottom and right edges, stay-on-top 6 pixels to its left.
    makerLabel->adjustSize();
    versionLabel->adjustSize();
    makerLabel->move(kMargin, height() - 2 - makerLabel->height());
    versionLabel->move(kMargin, makerLabel->y() - 8 - versionLabel->height());
    const QSize donateSize(std::max(140, donateBtn->sizeHint().width()), kButtonHeight);
    donateBtn->setGeometry(width() - 4 - donateSize.width(), height() - 4 - donateSize.height(),
                           donateSize.width(), donateSize.height());
    const int stayWidth = std::max(140, stayOnTopBtn->sizeHint().width());
    stayOnTopBtn->setGeometry(donateBtn->x() - 6 - stayWidth, donateBtn->y(), stayWidth, kButtonHeight);

    if (oldWidth != labelsWidth) emit ReopenWidthChanged();
}
