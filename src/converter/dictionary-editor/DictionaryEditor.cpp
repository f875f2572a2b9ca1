// The dictionary editor dialog.
#include "converter/dictionary-editor/DictionaryEditor.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "widgets/Guarded.h"
#include "widgets/flat/FlatButton.h"
#include "widgets/flat/FlatEdit.h"

namespace {

constexpr int kBottomHeight = 126;
enum KeyLinePage { Browse = 0, Adding = 1, Searching = 2 };

FlatButton* button(const QString& text, const char* name, QWidget* parent) {
    auto* b = new FlatButton(text, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

FlatLineEdit* edit(const char* name, QWidget* parent) {
    auto* e = new FlatLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    return e;
}

// The info-tip background while a field holds something being edited or already present. A flat edit
// paints its background in its flat or focused colour, so both take the info-tip colour for the while.
void highlight(FlatLineEdit* field, bool on) {
    static const FlatEditLook plain;
    const TLN_Color tip = flat::fromQColor(QPalette().color(QPalette::ToolTipBase));
    field->SetColorFlat(on ? tip : plain.colorFlat);
    field->SetColorFocused(on ? tip : plain.colorFocused);
}

} // namespace

DictionaryEditor::DictionaryEditor(LatRusDictionary& dictionary, Messenger& messenger, QWidget* parent)
    : QDialog(parent), model_(dictionary), messenger_(messenger) {
    setModal(true);
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("StringGrid1"));
    grid_->setModel(&model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid_->verticalHeader()->hide();

    auto* bottom = new QWidget(this);
    bottom->setFixedHeight(kBottomHeight);
    keyLine_ = new QStackedWidget(bottom);
    // The key keeps its one-line height: the stack is as tall as its tallest panel.
    auto* browsePanel = new QWidget(keyLine_);
    auto* browseRow = new QHBoxLayout(browsePanel);
    browseRow->setContentsMargins(0, 0, 0, 0);
    latEdit_ = edit("LatEdit", browsePanel);
    latEdit_->setReadOnly(true);
    latEdit_->installEventFilter(this);
    browseRow->addWidget(latEdit_, 0, Qt::AlignVCenter);
    keyLine_->addWidget(browsePanel);
    auto* addPanel = new QWidget(keyLine_);
    addPanel->setObjectName(QStringLiteral("AddPanel"));
    auto* addRow = new QHBoxLayout(addPanel);
    addRow->setContentsMargins(0, 0, 0, 0);
    addRow->addWidget(new QLabel(QStringLiteral("Добавить в словарь"), addPanel));
    latAddEdit_ = edit("LatAddEdit", addPanel);
    rusAddEdit_ = edit("RusAddEdit", addPanel);
    okAdd_ = button(QStringLiteral("OK"), "OkAddBtn", addPanel);
    addRow->addWidget(latAddEdit_);
    addRow->addWidget(rusAddEdit_);
    addRow->addWidget(okAdd_);
    keyLine_->addWidget(addPanel);
    auto* searchPanel = new QWidget(keyLine_);
    searchPanel->setObjectName(QStringLiteral("SearchPanel"));
    auto* searchRow = new QHBoxLayout(searchPanel);
    searchRow->setContentsMargins(0, 0, 0, 0);
    searchRow->addWidget(new QLabel(QStringLiteral("П О И С К . . . . ."), searchPanel));
    searchEdit_ = edit("SearchEdit", searchPanel);
    searchCancel_ = button(QStringLiteral("Отмена"), "SearchCancelBtn", searchPanel);
    searchRow->addWidget(searchEdit_);
    searchRow->addWidget(searchCancel_);
    keyLine_->addWidget(searchPanel);

    rusEdit_ = edit("RusEdit", bottom);
    okEdit_ = button(QStringLiteral("OK"), "OkEditBtn", bottom);
    cancelEdit_ = button(QStringLiteral("Отмена"), "CancelEditBtn", bottom);
    add_ = button(QStringLiteral("Добавить"), "AddBtn", bottom);
    clear_ = button(QStringLiteral("Очистить"), "ClearBtn", bottom);
    delete_ = button(QStringLiteral("Удалить"), "DeleteBtn", bottom);
    auto* editRow = new QHBoxLayout;
    editRow->addWidget(rusEdit_);
    editRow->addWidget(okEdit_);
    editRow->addWidget(cancelEdit_);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(add_);
    buttonRow->addWidget(clear_);
    buttonRow->addWidget(delete_);
    auto* bottomLayout = new QVBoxLayout(bottom);
    bottomLayout->addWidget(keyLine_);
    bottomLayout->addLayout(editRow);
    bottomLayout->addLayout(buttonRow);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_);
    layout->addWidget(bottom);

    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& index) {
                if (!index.isValid()) return;
                current_ = index.row();
                showCurrent();
            });
    connect(grid_, &QTableView::pressed, this, [this] {
        closeAdd();
        closeSearch();
    });
    connect(rusEdit_, &QLineEdit::textEdited, this, [this] { setEditing(true); });
    connect(rusEdit_, &QLineEdit::returnPressed, this, &DictionaryEditor::acceptEdit);
    connect(okEdit_, &QPushButton::clicked, this, &DictionaryEditor::acceptEdit);
    connect(cancelEdit_, &QPushButton::clicked, this, &DictionaryEditor::cancelEdit);
    connect(delete_, &QPushButton::clicked, this, &DictionaryEditor::deleteEntry);
    connect(clear_, &QPushButton::clicked, this, &DictionaryEditor::clearEntry);
    connect(add_, &QPushButton::clicked, this, &DictionaryEditor::toggleAdd);
    connect(latAddEdit_, &QLineEdit::textChanged, this, &DictionaryEditor::addKeyChanged);
    connect(rusAddEdit_, &QLineEdit::textChanged, this, &DictionaryEditor::updateButtons);
    connect(rusAddEdit_, &QLineEdit::returnPressed, this, &DictionaryEditor::acceptAdd);
    connect(okAdd_, &QPushButton::clicked, this, &DictionaryEditor::acceptAdd);
    connect(searchEdit_, &QLineEdit::textChanged, this, [this](const QString& text) {
        const int row = model_.SearchKey(text);
        if (row >= 0) SelectRow(row);
    });
    connect(searchCancel_, &QPushButton::clicked, this, &DictionaryEditor::closeSearch);

    setWindowTitle(DictionaryTableModel::Caption(model_.Count()));
    setEditing(false);
    if (model_.Count() > 0) SelectRow(0);
    showCurrent();
}

void DictionaryEditor::SelectRow(int i) {
    if (i < 0 || i >= model_.Count()) return;
    current_ = i;
    grid_->scrollTo(model_.index(i, 0), QAbstractItemView::PositionAtTop);
    grid_->selectRow(i);
    showCurrent();
}

void DictionaryEditor::showCurrent() {
    // Past a deleted last entry the current entry is the new last one; an empty table shows nothing.
    if (current_ >= model_.Count()) current_ = std::max(0, model_.Count() - 1);
    if (!editing_) {
        latEdit_->setText(model_.Key(current_));
        rusEdit_->setText(model_.Translation(current_));
    }
    updateButtons();
}

void DictionaryEditor::updateButtons() {
    const bool entries = model_.Count() > 0;
    const bool browsing = keyLine_->currentIndex() == Browse && !editing_;
    rusEdit_->setEnabled(entries && keyLine_->currentIndex() == Browse);
    delete_->setEnabled(entries && browsing);
    clear_->setEnabled(entries && browsing);
    add_->setEnabled(!editing_ && keyLine_->currentIndex() != Searching);
    okEdit_->setEnabled(editing_);
    cancelEdit_->setEnabled(editing_);
    grid_->setEnabled(!editing_);
    const QString key = latAddEdit_->text().trimmed();
    okAdd_->setEnabled(!key.isEmpty() && !key.contains(QLatin1Char('=')) &&
                       !rusAddEdit_->text().trimmed().isEmpty());
}

void DictionaryEditor::setEditing(bool editing) {
    editing_ = editing && model_.Count() > 0;
    highlight(rusEdit_, editing_);
    updateButtons();
}

void DictionaryEditor::acceptEdit() {
    if (!editing_) return;
    model_.SetTranslation(current_, rusEdit_->text());
    editing_ = false;
    setEditing(false);
    showCurrent();
}

void DictionaryEditor::cancelEdit() {
    editing_ = false;
    setEditing(false);
    showCurrent();
}

void DictionaryEditor::deleteEntry() {
    // The grid moves its current row to the next one while the row goes, which would move current_ with
    // it: the entry that takes the deleted one's place is the one to show.
    const int deleted = current_;
    if (!model_.RemoveEntry(deleted)) return;
    if (model_.Count() == 0) {
        latEdit_->clear();
        rusEdit_->clear();
    }
    current_ = std::min(deleted, model_.Count() - 1);
    SelectRow(current_);
    showCurrent();
    updateCount();
}

void DictionaryEditor::clearEntry() {
    model_.ClearTranslation(current_);
    showCurrent();
}

void DictionaryEditor::toggleAdd() {
    if (keyLine_->currentIndex() == Adding) {
        closeAdd();
        return;
    }
    keyLine_->setCurrentIndex(Adding);
    add_->setText(QStringLiteral("Отмена"));
    latAddEdit_->clear();
    rusAddEdit_->clear();
    latAddEdit_->setFocus();
    updateButtons();
}

void DictionaryEditor::closeAdd() {
    if (keyLine_->currentIndex() != Adding) return;
    add_->setText(QStringLiteral("Добавить"));
    keyLine_->setCurrentIndex(Browse);
    highlight(latAddEdit_, false);
    updateButtons();
}

void DictionaryEditor::addKeyChanged() {
    const QString key = latAddEdit_->text();
    const int row = model_.RowOfKey(key);
    if (row >= 0) {
        rusAddEdit_->setText(model_.Translation(row));
        SelectRow(row);
    } else if (const int near = model_.SearchKey(key); near >= 0) {
        SelectRow(near);
    }
    highlight(latAddEdit_, row >= 0);
    updateButtons();
}

void DictionaryEditor::acceptAdd() {
    if (!okAdd_->isEnabled()) return;
    const int row = model_.AddPair(latAddEdit_->text(), rusAddEdit_->text());
    if (row < 0) return;
    closeAdd();
    SelectRow(row);
    updateCount();
}

void DictionaryEditor::openSearch() {
    if (editing_ || keyLine_->currentIndex() != Browse) return;
    keyLine_->setCurrentIndex(Searching);
    searchEdit_->setFocus();
    updateButtons();
}

void DictionaryEditor::closeSearch() {
    if (keyLine_->currentIndex() != Searching) return;
    keyLine_->setCurrentIndex(Browse);
    searchEdit_->clear();
    updateButtons();
}

void DictionaryEditor::updateCount() {
    setWindowTitle(DictionaryTableModel::Caption(model_.Count()));
    emit countChanged(model_.Count());
}

bool DictionaryEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == latEdit_ && event->type() == QEvent::MouseButtonPress) openSearch();
    return QDialog::eventFilter(watched, event);
}

void DictionaryEditor::done(int result) {
    if (model_.Dirty() && save_ && messenger_.Question(this, QStringLiteral("Сохранить словарь?")))
        guarded(this, &messenger_, [this] { save_(); });
    QDialog::done(result);
}
