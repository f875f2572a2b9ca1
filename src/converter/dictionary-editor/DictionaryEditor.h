// The modal dictionary editor: the wizard's dictionary in a two-column grid, the current entry's key and
// translation below it, and the modes browse, edit a translation, add a pair and search by first letters.
// It edits the dictionary in place; closing with unsaved changes asks whether to save them.
#pragma once

#include <QDialog>
#include <functional>

#include "converter/names/DictionaryTableModel.h"
#include "widgets/Services.h"

class FlatButton;
class FlatLineEdit;
class QLabel;
class QStackedWidget;
class QTableView;

class DictionaryEditor : public QDialog {
    Q_OBJECT
public:
    DictionaryEditor(LatRusDictionary& dictionary, Messenger& messenger, QWidget* parent = nullptr);

    // Saves the dictionary when closing with unsaved changes is answered with yes; false when it failed.
    void SetSaver(std::function<bool()> save) { save_ = std::move(save); }
    DictionaryTableModel& Model() { return model_; }
    int CurrentEntry() const { return current_; }
    // Makes entry i current, its row the top row and the selection (nothing when i is outside the table).
    void SelectRow(int i);

signals:
    // The entry count after an addition or a deletion (the wizard's "N records in Dictionary").
    void countChanged(int count);

public slots:
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showCurrent();
    void setEditing(bool editing);
    void acceptEdit();
    void cancelEdit();
    void deleteEntry();
    void clearEntry();
    void toggleAdd();
    void closeAdd();
    void addKeyChanged();
    void acceptAdd();
    void openSearch();
    void closeSearch();
    void updateButtons();
    void updateCount();

    DictionaryTableModel model_;
    Messenger& messenger_;
    std::function<bool()> save_;
    int current_ = 0;
    QTableView* grid_;
    QStackedWidget* keyLine_;
    FlatLineEdit* latEdit_;
    FlatLineEdit* rusEdit_;
    FlatLineEdit* latAddEdit_;
    FlatLineEdit* rusAddEdit_;
    FlatLineEdit* searchEdit_;
    FlatButton* okEdit_;
    FlatButton* cancelEdit_;
    FlatButton* delete_;
    FlatButton* clear_;
    FlatButton* add_;
    FlatButton* okAdd_;
    FlatButton* searchCancel_;
    bool editing_ = false;
};
