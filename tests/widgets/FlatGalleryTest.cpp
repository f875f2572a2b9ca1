// Every flat control in its states on one picture for a person to review (saved as flat-gallery.png when
// STROVANE_SCREENSHOT_DIR is set); the test itself only checks that each control drew something.
#include <QAbstractItemView>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <gtest/gtest.h>

#include "widgets/flat/FlatButton.h"
#include "widgets/flat/FlatCheckBox.h"
#include "widgets/flat/FlatComboBox.h"
#include "widgets/flat/FlatEdit.h"
#include "widgets/flat/FlatHint.h"
#include "widgets/flat/FlatProgressBar.h"

namespace {

bool uniform(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != image.pixel(0, 0)) return false;
    return true;
}

TEST(FlatGallery, EveryControlInItsStates) {
    QWidget window;
    auto* grid = new QGridLayout(&window);
    std::vector<QWidget*> controls;
    auto add = [&](const QString& title, QWidget* control, int row, int column) {
        grid->addWidget(new QLabel(title, &window), row * 2, column);
        grid->addWidget(control, row * 2 + 1, column);
        controls.push_back(control);
    };
    auto* up = new FlatButton(QStringLiteral("Далее"), &window);
    auto* hovered = new FlatButton(QStringLiteral("Далее"), &window);
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    auto* pressed = new FlatButton(QStringLiteral("Далее"), &window);
    pressed->setDown(true);
    auto* byDefault = new FlatButton(QStringLiteral("Старт"), &window);
    byDefault->setDefault(true);
    auto* disabled = new FlatButton(QStringLiteral("Назад"), &window);
    disabled->setEnabled(false);
    add(QStringLiteral("up"), up, 0, 0);
    add(QStringLiteral("hovered"), hovered, 0, 1);
    add(QStringLiteral("pressed"), pressed, 0, 2);
    add(QStringLiteral("default"), byDefault, 0, 3);
    add(QStringLiteral("disabled"), disabled, 0, 4);
    auto* held = new FlatButton(QStringLiteral("Карта"), &window);
    held->SetGroupIndex(1);
    held->setChecked(true);
    add(QStringLiteral("held down"), held, 0, 5);

    auto* check = new FlatCheckBox(QStringLiteral("Добавить"), &window);
    auto* checked = new FlatCheckBox(QStringLiteral("Добавить"), &window);
    checked->setChecked(true);
    auto* checkedOff = new FlatCheckBox(QStringLiteral("Добавить"), &window);
    checkedOff->setChecked(true);
    checkedOff->setEnabled(false);
    add(QStringLiteral("check"), check, 1, 0);
    add(QStringLiteral("checked"), checked, 1, 1);
    add(QStringLiteral("checked, disabled"), checkedOff, 1, 2);
    auto* radioPanel = new QWidget(&window);
    auto* radios = new QHBoxLayout(radioPanel);
    auto* dvd = new FlatRadioButton(QStringLiteral("DVD, ISO"), radioPanel);
    auto* hdd = new FlatRadioButton(QStringLiteral("HDD-2"), radioPanel);
    radios->addWidget(dvd);
    radios->addWidget(hdd);
    hdd->setChecked(true);
    add(QStringLiteral("radio"), radioPanel, 1, 3);

    auto* edit = new FlatLineEdit(QStringLiteral("/tmp/ALLDATA.KWI"), &window);
    auto* combo = new FlatComboBox(&window);
    combo->addItems({QStringLiteral("0ABC"), QStringLiteral("FF")});
    auto* editable = new FlatComboBox(&window);
    editable->setEditable(true);
    editable->addItem(QStringLiteral("1000"));
    auto* memo = new FlatMemo(&window);
    memo->setPlainText(QStringLiteral("Началась компиляция.\nПожалуйста, подождите...\n").repeated(6));
    add(QStringLiteral("edit"), edit, 2, 0);
    add(QStringLiteral("combo"), combo, 2, 1);
    add(QStringLiteral("editable combo"), editable, 2, 2);
    add(QStringLiteral("memo"), memo, 2, 3);

    auto* half = new FlatProgressBar(&window);
    half->setValue(50);
    auto* smooth = new FlatProgressBar(&window);
    smooth->SetSmooth(true);
    smooth->setValue(37);
    auto* empty = new FlatProgressBar(&window);
    empty->setRange(0, 0);
    add(QStringLiteral("progress 50 %"), half, 3, 0);
    add(QStringLiteral("smooth 37 %"), smooth, 3, 1);
    add(QStringLiteral("empty range"), empty, 3, 2);
    auto* upright = new FlatProgressBar(&window);
    upright->setValue(50);
    upright->SetOrientation(Qt::Vertical);
    add(QStringLiteral("vertical 50 %"), upright, 3, 3);

    window.show();
    QCoreApplication::sendEvent(hovered, &enter);
    QImage picture = window.grab().toImage();
    // The first combo box's list, dropped down, goes beneath the hint.
    combo->showPopup();
    const QImage listPicture = combo->view()->window()->grab().toImage();
    combo->hidePopup();

    // The hint beside the gallery, as it shows right of and below the cursor.
    FlatHint hint;
    hint.Window()->ActivateHint(QStringLiteral("Подсказка, которая переносится на вторую строку"),
                                QPoint(500, 500), QRect(0, 0, 1600, 1000));
    const QImage hintPicture = hint.Window()->grab().toImage();
    const int side = std::max(hintPicture.width(), listPicture.width());
    QImage both(picture.width() + side + 20,
                std::max(picture.height(), hintPicture.height() + listPicture.height() + 30),
                QImage::Format_RGB32);
    both.fill(Qt::white);
    {
        QPainter painter(&both);
        painter.drawImage(0, 0, picture);
        painter.drawImage(picture.width() + 10, 10, hintPicture);
        painter.drawImage(picture.width() + 10, hintPicture.height() + 20, listPicture);
    }
    EXPECT_FALSE(uniform(hintPicture));
    EXPECT_FALSE(uniform(listPicture));
    for (QWidget* control : controls)
        EXPECT_FALSE(uniform(control->grab().toImage())) << control->metaObject()->className();
    const QByteArray folder = qgetenv("STROVANE_SCREENSHOT_DIR");
    if (!folder.isEmpty()) both.save(QString::fromLocal8Bit(folder) + QStringLiteral("/flat-gallery.png"));
}

} // namespace
