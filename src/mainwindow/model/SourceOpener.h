// Opening a source: a folder (or disk), one KIWI file or an ISO image. Finds the KIWI files by their fixed
// names, creates one reader per file and one root node per file in the record tree, holds the readers
// that belong to the opened data, and says what the window should show. Headless, so the main window, the
// probe and the tests open sources the same way.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

#include "mainwindow/model/MapCodePageChoice.h"
#include "mainwindow/model/OpenData.h"
#include "mainwindow/model/RecordTree.h"

// What an opening found and what the window should show for it.
struct OpenOutcome {
    enum class Severity { Error, Information };
    struct Message {
        Severity severity = Severity::Error;
        QString text;
    };

    // Some KIWI file was found (the settings and the reopen list remember the source only then).
    bool found = false;
    // The previous source was closed (false when the path was refused before anything changed).
    bool closedPrevious = false;
    // The new window caption; empty = leave the caption as it is.
    QString caption;
    std::vector<Message> messages;

    // An ISO image is mounted: the ISO tab lists it.
    bool isoMounted = false;
    // A valid map is open (the map view draws it); with mapTab the Map tab is shown.
    bool mapLoaded = false;
    bool mapTab = false;
    // The map converter may start from this map (its main map lies in ALLDATA.KWI itself).
    bool wizardAllowed = false;
    // Route planning data was found for the map (the route layer can be switched on).
    bool routePlanning = false;
    // The languages of the map's multi-language data (upper-cased names); empty = only "ENG".
    QStringList languages;
    // A root to expand one level once the tree shows it (the "ALL DATA" root).
    RecordNode* expandRoot = nullptr;

    void Error(const QString& text) { messages.push_back({Severity::Error, text}); }
    void Information(const QString& text) { messages.push_back({Severity::Information, text}); }
};

class SourceOpener {
public:
    // Opens into tree and data. codePages receives the automatic code page choice of a map.
    SourceOpener(RecordTree& tree, OpenData& data, MapCodePageChoice& codePages,
                 QString applicationTitle = QStringLiteral("Strovane"));

    // The application title, the first part of every caption.
    void SetApplicationTitle(QString title) { title_ = std::move(title); }
    // Closes everything that was open; the main window puts its own (which also clears the hex viewer and
    // the field grid first) in place of the default, which clears the tree, the readers and the image.
    void SetCloseAll(std::function<void()> closeAll) { closeAll_ = std::move(closeAll); }
    // Resets the field grid; every root opener runs it first. Default: nothing.
    void SetClearInfoGrid(std::function<void()> clearInfoGrid) { clearInfoGrid_ = std::move(clearInfoGrid); }
    // The default CloseAll: the tree's nodes, then the readers, then the mounted image.
    static void CloseAllHeadless(RecordTree& tree, OpenData& data);

    // A disk or folder: LOADING.KWI, 05.CMP or 06.CMP, COVERAGE.BIN, ALLDATA.KWI or ALLDATA1.KWI, each
    // matched exactly, then case-insensitively. A missing folder changes nothing and says so; a folder
    // without any of these files is closed-and-empty with an information message.
    OpenOutcome OpenFolder(const QString& path);
    // One file, dispatched on its lower-cased name; the CMP list beside it is opened too (except beside
    // LOADING.KWI) and counts as found.
    OpenOutcome OpenFile(const QString& path);
    // An ISO 9660 image: mounted as the one current image, then LOADING.KWI, COVERAGE.BIN, 05.CMP or
    // 06.CMP and ALLDATA.KWI at its root. An image that cannot be read changes nothing and says so.
    OpenOutcome OpenIsoImage(const QString& path);

    // The root openers. Each appends one root (none for a map that is not valid or a CMP list or map
    // when one is held already) and sets the caption. path is a file path, or a bare name inside the
    // mounted image. A reader that raises while opening becomes an error message and no root.
    RecordNode* OpenLoadingFile(const std::string& path);
    RecordNode* OpenCompressedFile(const std::string& path);
    RecordNode* OpenCoverageFile(const std::string& path);
    RecordNode* OpenDicVceFile(const std::string& path);
    RecordNode* OpenRegionFile(const std::string& path);
    RecordNode* OpenPct2MngFile(const std::string& path);
    RecordNode* OpenIndexFile(const std::string& path);
    RecordNode* OpenVoiceFile(const std::string& path);
    RecordNode* OpenVoiceMe1File(const std::string& path);
    RecordNode* OpenAllDataFile(const std::string& path);

    // The automatic code page choice for the open map (only while the choice is automatic).
    void SelectAutoCharset();
    // The code page the automatic choice gives for the open map; 0 without a map, with the choice off, or
    // when the map's codes name none.
    int AutoCharset() const;

    // The outcome the root openers write into (OpenFolder, OpenFile and OpenIsoImage start a new one).
    OpenOutcome& Outcome() { return outcome_; }
    void ResetOutcome() { outcome_ = OpenOutcome(); }

private:
    // A root; one with an error (its file cannot be read as its kind) is captioned "  (Error)" and holds
    // nothing.
    RecordNode* addRoot(const QString& caption, int kind, bool hasChildren,
                        std::shared_ptr<TLN_Stream> stream, HeldReader held, const std::string& path,
                        const QString& error = {});
    void captionForPath(const std::string& path);
    // Runs an opener's reader construction; an exception becomes an error message and nullptr.
    // Marks root "  (Error)" with why reader did not read its file whole, keeping what it read; root as
    // given.
    template <typename Reader> RecordNode* damagedRoot(RecordNode* root, const Reader& reader);
    template <typename F> RecordNode* guardedOpen(const std::string& path, F&& open);
    void openSubManagers(const std::string& path);
    void closeAll();

    RecordTree& tree_;
    OpenData& data_;
    MapCodePageChoice& codePages_;
    QString title_;
    std::function<void()> closeAll_;
    std::function<void()> clearInfoGrid_;
    OpenOutcome outcome_;
};
