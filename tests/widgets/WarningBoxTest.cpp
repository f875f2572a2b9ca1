// The desktop's warning box: a warning with OK and Cancel in Russian, answered by each of its buttons.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include "widgets/Services.h"

namespace {

TEST(WarningBox, AsksWithOkAndCancelInRussian) {
    const Services desktop = Services::Desktop();
    for (const bool ok : {true, false}) {
        QStringList captions;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString text;
        // The box is modal: it is read and answered from the event loop it runs.
        QTimer::singleShot(50, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            icon = box->icon();
            text = box->text();
            for (QAbstractButton* button : box->buttons())
                captions << button->text();
            captions.sort();
            box->button(ok ? QMessageBox::Ok : QMessageBox::Cancel)->click();
        });
        EXPECT_EQ(desktop.messenger->Warning(nullptr, QStringLiteral("Файл уже существует!\n\r Заменить?")),
                  ok);
        EXPECT_EQ(icon, QMessageBox::Warning);
        EXPECT_EQ(captions, (QStringList{QStringLiteral("ОК"), QStringLiteral("Отмена")}));
        EXPECT_EQ(text, QStringLiteral("Файл уже существует!\n\n Заменить?"));
    }
}

} // namespace
