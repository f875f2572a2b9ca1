// The hex viewer's actions, tool bar and context menu.
#include "hexview/HexViewerActions.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <QStyle>
#include <QToolBar>
#include <QWidget>

namespace {

// A small tool bar picture of text, for commands the style has no picture of.
QIcon glyphIcon(const QString& text, const QColor& colour) {
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(text.size() > 2 ? 9 : 12);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, text);
    return QIcon(pixmap);
}

// Two overlapping sheets: the copy's picture, drawn since not every font has a glyph for it.
QIcon copyIcon(const QColor& colour) {
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QPen(colour, 1.5));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(3.5, 3.5, 9, 11));
    painter.drawRect(QRectF(7.5, 6.5, 9, 11));
    return QIcon(pixmap);
}

QAction* makeAction(QWidget* owner, const QString& caption, const QString& hint,
                    const QKeySequence& shortcut = {}) {
    auto* action = new QAction(caption, owner);
    action->setToolTip(hint.isEmpty() ? caption : hint);
    action->setStatusTip(hint);
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    owner->addAction(action);
    return action;
}

} // namespace

HexViewerActions::HexViewerActions(QWidget* owner) {
    QStyle* style = owner->style();
    const QColor ink(0x20, 0x40, 0x80);
    floatIcon_ = style->standardIcon(QStyle::SP_TitleBarNormalButton);
    dockIcon_ = style->standardIcon(QStyle::SP_TitleBarMaxButton);
    pageIcon = glyphIcon(QStringLiteral("0F"), ink);

    docking = makeAction(owner, QString(), QStringLiteral("Открыть в отдельном окне"));
    copyBlock =
        makeAction(owner, QStringLiteral("Копировать блок"), QStringLiteral("Копировать блок в буфер обмена"),
                   QKeySequence(Qt::CTRL | Qt::Key_C));
    fileCopy = makeAction(owner, QStringLiteral("Копировать в файл"),
                          QStringLiteral("Копировать блок в новый файл"));
    copyAsHexText = makeAction(owner, QStringLiteral("Копировать как НЕХ текст (HxD)"), QString());
    goTo =
        makeAction(owner, QStringLiteral("Перейти на адрес"), QString(), QKeySequence(Qt::CTRL | Qt::Key_G));
    defineBlock = makeAction(owner, QStringLiteral("Задать блок"), QString());
    setBegining = makeAction(owner, QStringLiteral("Начало блока"), QString());
    setEnd = makeAction(owner, QStringLiteral("Конец блока"), QString());
    clearBlock = makeAction(owner, QStringLiteral("Очистить блок"), QString());
    selAll = makeAction(owner, QStringLiteral("Выделить всё"), QString(), QKeySequence(Qt::CTRL | Qt::Key_A));
    find = makeAction(owner, QStringLiteral("Найти"), QString(), QKeySequence(Qt::CTRL | Qt::Key_F));
    findNext = makeAction(owner, QStringLiteral("Найти далее"), QString(), QKeySequence(Qt::Key_F3));
    gotoStartFile = makeAction(owner, QString(), QStringLiteral("В начало файла"));
    gotoEndFile = makeAction(owner, QString(), QStringLiteral("В конец файла"));
    gotoStartBlock = makeAction(owner, QString(), QStringLiteral("В начало блока"));
    gotoEndBlock = makeAction(owner, QString(), QStringLiteral("В конец блока"));
    // Hidden by being on no bar and in no menu: an invisible action would lose its shortcut too.
    showClipboardFormats =
        makeAction(owner, QStringLiteral("Clipboard formats"), QString(), QKeySequence(Qt::CTRL | Qt::Key_V));

    copyBlock->setIcon(copyIcon(ink));
    fileCopy->setIcon(style->standardIcon(QStyle::SP_DialogSaveButton));
    find->setIcon(glyphIcon(QStringLiteral("?"), ink));
    findNext->setIcon(glyphIcon(QStringLiteral("?»"), ink));
    goTo->setIcon(glyphIcon(QStringLiteral("→"), ink));
    defineBlock->setIcon(glyphIcon(QStringLiteral("[..]"), ink));
    setBegining->setIcon(glyphIcon(QStringLiteral("["), ink));
    setEnd->setIcon(glyphIcon(QStringLiteral("]"), ink));
    selAll->setIcon(glyphIcon(QStringLiteral("[*]"), ink));
    clearBlock->setIcon(glyphIcon(QStringLiteral("[ ]"), QColor(0xA0, 0x20, 0x20)));
    gotoStartFile->setIcon(style->standardIcon(QStyle::SP_MediaSkipBackward));
    gotoEndFile->setIcon(style->standardIcon(QStyle::SP_MediaSkipForward));
    gotoStartBlock->setIcon(glyphIcon(QStringLiteral("|["), ink));
    gotoEndBlock->setIcon(glyphIcon(QStringLiteral("]|"), ink));

    toolBar = new QToolBar(owner);
    toolBar->setIconSize(QSize(20, 20));
    toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (QAction* action :
         {docking, copyBlock, fileCopy, find, findNext, goTo, defineBlock, setBegining, setEnd, selAll,
          clearBlock, gotoStartFile, gotoStartBlock, gotoEndBlock, gotoEndFile}) {
        toolBar->addAction(action);
        if (action == docking || action == fileCopy || action == goTo || action == clearBlock)
            toolBar->addSeparator();
    }

    popup = new QMenu(owner);
    for (QAction* action : {copyBlock, copyAsHexText, fileCopy, find, findNext, goTo, defineBlock,
                            setBegining, setEnd, selAll, clearBlock}) {
        popup->addAction(action);
        if (action == fileCopy || action == findNext || action == defineBlock || action == clearBlock)
            popup->addSeparator();
    }
    ShowDocked(false);
}

void HexViewerActions::ShowDocked(bool docked) {
    docking->setIcon(docked ? floatIcon_ : dockIcon_);
    docking->setToolTip(docked ? QStringLiteral("Открыть в отдельном окне")
                               : QStringLiteral("Открыть в главном окне"));
}
