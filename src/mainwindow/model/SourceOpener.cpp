// The three ways into a source (folder, file, ISO image) and the root openers of the files they find.
#include "mainwindow/model/SourceOpener.h"

#include <QFileInfo>

#include "kiwi/cmp/CompressionManager.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/core/RussianFailureTexts.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/index/IndexManager.h"
#include "kiwi/iso/ISOImage.h"
#include "kiwi/map/KiwiMap.h"
#include "kiwi/parts/Coverage.h"
#include "kiwi/parts/DicVceManager.h"
#include "kiwi/parts/Loading.h"
#include "kiwi/picture/PCT2MNGManager.h"
#include "kiwi/region/RegionManager.h"
#include "kiwi/voice/VoiceManager.h"
#include "kiwi/voice/VoiceMe1Manager.h"
#include "mainwindow/model/SourceFiles.h"
#include "mainwindow/model/kinds/FamilyBuilders.h"

namespace {
std::string lowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
}

// "REGION1.KWI" → "REGION1": the file name up to its first ".".
QString nameBeforeDot(const std::string& path) {
    const std::string name = fileNamePart(path);
    return ToQtPath(name.substr(0, name.find('.')));
}

QString wrongPath(const QString& path) {
    return QStringLiteral("Wrong file path !!!\r") + path;
}
} // namespace

SourceOpener::SourceOpener(RecordTree& tree, OpenData& data, MapCodePageChoice& codePages,
                           QString applicationTitle)
    : tree_(tree), data_(data), codePages_(codePages), title_(std::move(applicationTitle)) {}

void SourceOpener::CloseAllHeadless(RecordTree& tree, OpenData& data) {
    tree.Clear();
    data.Clear();
    CloseISOImage();
}

void SourceOpener::closeAll() {
    if (closeAll_)
        closeAll_();
    else
        CloseAllHeadless(tree_, data_);
    outcome_.closedPrevious = true;
    // Nothing is open now: the caption names no source until an opener names the new one.
    outcome_.caption = title_;
}

OpenOutcome SourceOpener::OpenFolder(const QString& path) {
    outcome_ = OpenOutcome();
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir()) {
        outcome_.Error(wrongPath(path));
        return outcome_;
    }
    closeAll();
    const std::string folder = FromQtPath(info.absoluteFilePath());
    data_.folder = folder;
    bool found = false;
    if (const auto loading = LocateSourceFile(folder, "LOADING.KWI")) {
        found = true;
        OpenLoadingFile(*loading);
    }
    if (const auto list = LocateSourceFile(folder, "05.CMP")) {
        found = true;
        OpenCompressedFile(*list);
    } else if (const auto list06 = LocateSourceFile(folder, "06.CMP")) {
        found = true;
        OpenCompressedFile(*list06);
    }
    if (const auto coverage = LocateSourceFile(folder, "COVERAGE.BIN")) {
        found = true;
        OpenCoverageFile(*coverage);
    }
    if (const auto allData = LocateSourceFile(folder, "ALLDATA.KWI")) {
        found = true;
        OpenAllDataFile(*allData);
    } else if (LocateSourceFile(folder, "ALLDATA1.KWI")) {
        // The volume set is recognised by its upper-case first name; its parts resolve in any case.
        found = true;
        OpenAllDataFile(joinPath(folder, "ALLDATA1.KWI"));
    }
    outcome_.found = found;
    // Closing the previous source and showing nothing would leave the user guessing.
    if (!found) outcome_.Information(QStringLiteral("KIWI-файлы не найдены\r") + path);
    return outcome_;
}

OpenOutcome SourceOpener::OpenFile(const QString& path) {
    outcome_ = OpenOutcome();
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile()) {
        outcome_.Error(wrongPath(path));
        return outcome_;
    }
    closeAll();
    const std::string file = FromQtPath(info.absoluteFilePath());
    const std::string folder = folderPart(file);
    const std::string name = lowerAscii(fileNamePart(file));
    data_.folder = folder;
    bool found = false;
    if (name == "loading.kwi") {
        found = true;
        OpenLoadingFile(file);
    } else if (const auto list = LocateSourceFile(folder, "05.CMP")) {
        found = true;
        OpenCompressedFile(*list);
    } else if (const auto list06 = LocateSourceFile(folder, "06.CMP")) {
        found = true;
        OpenCompressedFile(*list06);
    }
    // Volume sets are recognised by their upper-case first names; their parts resolve in any case.
    if (name == "alldata.kwi" || name == "alldata1.kwi") {
        found = true;
        OpenAllDataFile(name == "alldata1.kwi" ? joinPath(folder, "ALLDATA1.KWI") : file);
    }
    if (name == "voicedat.kwi" || name == "stdvce.kwi") {
        found = true;
        OpenVoiceFile(file);
    }
    if (name == "voice001.me") {
        found = true;
        OpenVoiceMe1File(file);
    }
    if (name == "indexdat.kwi" || name == "index1.kwi") {
        found = true;
        OpenIndexFile(file);
    }
    if (name == "pct2mng.kwi") {
        found = true;
        OpenPct2MngFile(file);
    }
    if (name == "region.kwi" || name == "region1.kwi") {
        found = true;
        OpenRegionFile(name == "region1.kwi" ? joinPath(folder, "REGION1.KWI") : file);
    }
    if (name == "coverage.bin") {
        found = true;
        OpenCoverageFile(file);
    }
    if (name == "dicvce56.kwi") {
        found = true;
        OpenDicVceFile(file);
    }
    outcome_.found = found;
    if (!found) outcome_.Information(QStringLiteral("KIWI-файлы не найдены\r") + path);
    return outcome_;
}

OpenOutcome SourceOpener::OpenIsoImage(const QString& path) {
    outcome_ = OpenOutcome();
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile()) {
        outcome_.Error(wrongPath(path));
        return outcome_;
    }
    const std::string image = FromQtPath(info.absoluteFilePath());
    const QString unreadable = QStringLiteral("Не удалось прочитать ISO образ\r") + path;
    // The image is tried on its own first: one that cannot be read leaves the open source as it is, and
    // the message ends with the reader's reason.
    bool readable = false;
    QString reason;
    try {
        TISOImage trial(image);
        readable = trial.OpenImage();
    } catch (const std::exception& error) {
        reason = QString::fromUtf8(error.what());
    }
    if (!readable) {
        outcome_.Error(reason.isEmpty() ? unreadable : unreadable + QStringLiteral("\r") + reason);
        return outcome_;
    }
    closeAll();
    std::string why;
    if (!OpenISOImage(image, &why)) {
        outcome_.Error(why.empty() ? unreadable : unreadable + QStringLiteral("\r") + QString::fromUtf8(why));
        return outcome_;
    }
    data_.imageMounted = true;
    data_.folder = folderPart(image);
    outcome_.isoMounted = true;
    // Bare names: the file layer looks them up inside the mounted image.
    bool found = false;
    if (ISOFileExists("LOADING.KWI")) {
        found = true;
        OpenLoadingFile("LOADING.KWI");
    }
    if (ISOFileExists("COVERAGE.BIN")) {
        found = true;
        OpenCoverageFile("COVERAGE.BIN");
    }
    if (ISOFileExists("05.CMP")) {
        found = true;
        OpenCompressedFile("05.CMP");
    } else if (ISOFileExists("06.CMP")) {
        found = true;
        OpenCompressedFile("06.CMP");
    }
    if (ISOFileExists("ALLDATA.KWI")) {
        found = true;
        OpenAllDataFile("ALLDATA.KWI");
    }
    outcome_.found = found;
    outcome_.caption = title_ + QStringLiteral(" - ") + ToQtPath(GetISOImageFileName());
    return outcome_;
}

namespace {
// Why a file opened on its own is no data of its kind ("" when its reader reads it): a cut or damaged file
// is a root that says so, not one that holds nothing.
QString unreadable(const TLN_Manager& reader) {
    if (reader.IsValid()) return {};
    const QString why = RussianReason(reader.ErrorReason());
    return why.isEmpty() ? QStringLiteral("Данные файла не распознаны") : why;
}
} // namespace

namespace {
QString damageOf(const TLN_Loading& reader) {
    return RussianReason(reader.DamageReason());
}
QString damageOf(const TLN_Coverage& reader) {
    return RussianReason(reader.DamageReason());
}
// A part reader: why it is not valid, or why some of its records cannot be read.
QString damageOf(const TLN_Manager& reader) {
    return reader.IsValid() ? RussianReason(reader.DamageReason()) : unreadable(reader);
}
} // namespace

template <typename Reader> RecordNode* SourceOpener::damagedRoot(RecordNode* root, const Reader& reader) {
    const QString why = damageOf(reader);
    if (!root || why.isEmpty()) return root;
    // A file read in part is still opened: the root says why it is damaged, its records read so far show.
    root->error = why;
    root->caption += QStringLiteral("  (Error)");
    return root;
}

RecordNode* SourceOpener::addRoot(const QString& caption, int kind, bool hasChildren,
                                  std::shared_ptr<TLN_Stream> stream, HeldReader held,
                                  const std::string& path, const QString& error) {
    auto node = RecordNode::MakeChild(nullptr, kind,
                                      error.isEmpty() ? caption : caption + QStringLiteral("  (Error)"));
    node->hasChildren = hasChildren && error.isEmpty();
    node->error = error;
    node->stream = std::move(stream);
    node->held = std::move(held);
    // A node without a stream names its file for the hex viewer.
    if (!node->stream) node->fileName = path;
    return tree_.AddRoot(std::move(node));
}

void SourceOpener::captionForPath(const std::string& path) {
    outcome_.caption = title_ + QStringLiteral(" - [") + ToQtPath(path) + QStringLiteral("]");
}

template <typename F> RecordNode* SourceOpener::guardedOpen(const std::string& path, F&& open) {
    if (clearInfoGrid_) clearInfoGrid_();
    try {
        RecordNode* root = open();
        if (root) captionForPath(path);
        return root;
    } catch (const std::exception& error) {
        outcome_.Error(QString::fromUtf8(error.what()));
    } catch (...) {
        outcome_.Error(QStringLiteral("File read error!\r") + ToQtPath(path));
    }
    return nullptr;
}

RecordNode* SourceOpener::OpenLoadingFile(const std::string& path) {
    return guardedOpen(path, [&] {
        auto reader = std::make_shared<TLN_Loading>(path);
        return damagedRoot(
            addRoot(QStringLiteral("LOADING"), 1, reader->IsValid(), reader->SharedStream(), reader, path),
            *reader);
    });
}

RecordNode* SourceOpener::OpenCompressedFile(const std::string& path) {
    return guardedOpen(path, [&]() -> RecordNode* {
        if (data_.compression) return nullptr;
        auto list = std::make_shared<TLN_CompressionManager>(path);
        data_.compression = list;
        RecordNode* root = addRoot(QStringLiteral("COMPRESSION"), 4, true, list->ListStream(), {}, path);
        family::MarkError(*root, list->Damage());
        return root;
    });
}

RecordNode* SourceOpener::OpenCoverageFile(const std::string& path) {
    return guardedOpen(path, [&] {
        auto reader = std::make_shared<TLN_Coverage>(path);
        return damagedRoot(
            addRoot(QStringLiteral("COVERAGE"), 1500, reader->IsValid(), nullptr, reader, path), *reader);
    });
}

RecordNode* SourceOpener::OpenDicVceFile(const std::string& path) {
    return guardedOpen(path, [&] {
        auto reader = std::make_shared<TLN_DicVceManager>(path);
        return damagedRoot(
            addRoot(QStringLiteral("DICVCE"), 1250, reader->IsValid(), reader->SharedStream(), reader, path),
            *reader);
    });
}

RecordNode* SourceOpener::OpenRegionFile(const std::string& path) {
    return guardedOpen(path, [&] {
        auto reader = std::make_shared<TLN_RegionManager>(path);
        return addRoot(nameBeforeDot(path), 1400, true, reader->SharedStream(), reader, path,
                       unreadable(*reader));
    });
}

RecordNode* SourceOpener::OpenPct2MngFile(const std::string& path) {
    return guardedOpen(path, [&] {
        auto reader = std::make_shared<TLN_PCT2MNGManager>(path);
        return damagedRoot(addRoot(nameBeforeDot(path), 1300, true, reader->SharedStream(), reader, path),
                           *reader);
    });
}

RecordNode* SourceOpener::OpenIndexFile(const std::string& path) {
    return guardedOpen(path, [&] {
        auto reader = std::make_shared<TLN_IndexManager>(path);
        data_.index = reader;
        RecordNode* root = addRoot(QStringLiteral("INDEXDAT"), 1020, true, reader->SharedStream(), {}, path,
                                   unreadable(*reader));
        for (const Failure& reason : reader->TableDamageReasons())
            family::MarkError(*root, reason);
        return root;
    });
}

RecordNode* SourceOpener::OpenVoiceFile(const std::string& path) {
    return guardedOpen(path, [&] {
        auto reader = std::make_shared<TLN_VoiceManager>(path);
        data_.voice = reader;
        return addRoot(QStringLiteral("VOICEDAT"), 1060, true, reader->SharedStream(), {}, path,
                       unreadable(*reader));
    });
}

RecordNode* SourceOpener::OpenVoiceMe1File(const std::string& path) {
    return guardedOpen(path, [&] {
        auto reader = std::make_shared<TLN_VoiceMe1Manager>(path);
        data_.voice001 = reader;
        return addRoot(QStringLiteral("VOICE001"), 1100, true, reader->SharedStream(), {}, path,
                       unreadable(*reader));
    });
}
