// The ISO tab: the list of one directory of the mounted image (name, date, type, size; the parent row
// "/\" first in sub-directories) and, while a file is being extracted, its progress with a stop button.
#pragma once

#include <vector>

#include <QHash>
#include <QIcon>
#include <QWidget>

#include "mainwindow/model/IsoListing.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class IsoPage : public QWidget {
    Q_OBJECT
public:
    enum Column { NameColumn, DateColumn, TypeColumn, SizeColumn };

    explicit IsoPage(QWidget* parent = nullptr);

    // Shows items in place of the list's rows (the page keeps them; their entries belong to the image).
    void SetItems(std::vector<IsoListItem> items);
    const std::vector<IsoListItem>& Items() const { return items_; }
    // The row under the list's viewport point, or -1.
    int RowAt(QPoint viewportPoint) const;

    // The extraction strip: shown with the file's name, moved on, hidden.
    void ShowExtraction(const QString& text, int64_t total);
    void SetExtractionProgress(int64_t written, int64_t total);
    void HideExtraction();

    QTreeWidget* isoListView = nullptr;
    QWidget* extractionStrip = nullptr;
    QLabel* extractionLabel = nullptr;
    QProgressBar* extractionBar = nullptr;
    QPushButton* extractionStopButton = nullptr;

private:
    // The icon for a name, from the theme or the style, made once per name.
    QIcon iconFor(const IsoListItem& item);

    std::vector<IsoListItem> items_;
    QHash<QString, QIcon> icons_;
};
