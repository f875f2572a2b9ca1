// What the Data tab shows and decides beyond the record tree and field grid models, without widgets: the
// languages of the open data with the chosen one that the language buttons name, and the share of the
// window's width the tree keeps as the window is resized. The window's widgets follow its signals.
#pragma once

#include <optional>

#include <QObject>
#include <QStringList>

class MapCodePageChoice;
struct OpenData;

class DataTabPresenter : public QObject {
    Q_OBJECT
public:
    // codePages and data: the choices and the open data a chosen language is handed to (they outlive it).
    DataTabPresenter(MapCodePageChoice& codePages, OpenData& data, QObject* parent = nullptr);

    // The open data's languages, the first chosen. An empty list is the same as ResetLanguages.
    void SetLanguages(const QStringList& names);
    // No languages: the buttons are disabled and say "ENG"; the data language is the first.
    void ResetLanguages();
    // Chooses a listed language for the data and the open map's names; false (nothing changes) for an
    // index past the list.
    bool ChooseLanguage(int index);
    const QStringList& Languages() const { return languages_; }
    int ChosenLanguage() const { return chosen_; }
    bool LanguageButtonsEnabled() const { return !languages_.isEmpty(); }
    // The chosen language in capitals, "ENG" without languages.
    QString LanguageButtonText() const;

    // Keeps the tree's share from the window's and the tree panel's widths: window width × 10000 / tree
    // width. A tree of no width keeps the share it had (0: none kept).
    void KeepTreeWidth(int windowWidth, int treeWidth);
    int TreeWidthRatio() const { return treeWidthRatio_; }
    // The tree panel's width for a window width, when a share is kept.
    std::optional<int> TreeWidthFor(int windowWidth) const;

signals:
    // The list changed (the language menu is made again) and the buttons with it.
    void LanguagesChanged();
    // Another language was chosen: the buttons' text changed.
    void LanguageChosen(int index);

private:
    MapCodePageChoice& codePages_;
    OpenData& data_;
    QStringList languages_;
    int chosen_ = 0;
    int treeWidthRatio_ = 0;
};
