// The desktop's answers to the services the windows ask for: Qt message boxes and file dialogs, the
// volume list for choosing a disc, the desktop's URL handler, detached processes, the colour dialog, the
// password box and the system beep.
#include "widgets/Services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QStorageInfo>
#include <QVBoxLayout>

namespace {
// Texts of the program break lines with CR (the data's own line breaks); Qt wants LF.
QString displayText(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

class DesktopMessenger final : public Messenger {
public:
    void Error(QWidget* parent, const QString& text) override {
        QMessageBox::critical(parent, QApplication::applicationName(), displayText(text));
    }
    void Information(QWidget* parent, const QString& text) override {
        QMessageBox::information(parent, QApplication::applicationName(), displayText(text));
    }
    bool Question(QWidget* parent, const QString& text) override {
        return QMessageBox::question(parent, QApplication::applicationName(), displayText(text)) ==
               QMessageBox::Yes;
    }
    bool Warning(QWidget* parent, const QString& text) override {
        QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), displayText(text),
                        QMessageBox::Ok | QMessageBox::Cancel, parent);
        // The program speaks Russian whatever the system's language; Qt's own captions would not.
        box.button(QMessageBox::Ok)->setText(QStringLiteral("ОК"));
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("Отмена"));
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
        return box.exec() == QMessageBox::Ok;
    }
    std::optional<bool> QuestionOrCancel(QWidget* parent, const QString& title,
                                         const QString& text) override {
        const QMessageBox::StandardButton answer = QMessageBox::question(
            parent, title, displayText(text), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel || answer == QMessageBox::Escape) return std::nullopt;
        return answer == QMessageBox::Yes;
    }
};

// Optical and removable volumes first: a navigation disc is most likely one of them.
QList<QStorageInfo> candidateVolumes() {
    QList<QStorageInfo> first, rest;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady()) continue;
        const QByteArray type = volume.fileSystemType();
        const bool likelyDisc = type == "iso9660" || type == "udf" || type == "vfat" || type == "exfat";
        (likelyDisc ? first : rest).append(volume);
    }
    return first + rest;
}

// A filter's label shows its name only, as the file dialogs of the program's other platform did: a filter
// that lists every file name it matches would otherwise make the dialog as wide as that list.
constexpr QFileDialog::Options kFilterNamesOnly = QFileDialog::HideNameFilterDetails;

class DesktopPathChooser final : public PathChooser {
public:
    QString OpenFile(QWidget* parent, const QString& title, const QString& filter,
                     const QString& start) override {
        return QFileDialog::getOpenFileName(parent, title, start, filter, nullptr, kFilterNamesOnly);
    }
    QStringList OpenFiles(QWidget* parent, const QString& title, const QString& filter,
                          const QString& start) override {
        return QFileDialog::getOpenFileNames(parent, title, start, filter, nullptr, kFilterNamesOnly);
    }
    QString Folder(QWidget* parent, const QString& title, const QString& start) override {
        return QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
    }
    QString Disk(QWidget* parent, const QString& title) override {
        QDialog dialog(parent);
        dialog.setWindowTitle(title);
        auto* list = new QListWidget(&dialog);
        for (const QStorageInfo& volume : candidateVolumes()) {
            const QString label =
                volume.displayName() == volume.rootPath()
                    ? volume.rootPath()
                    : volume.rootPath() + QStringLiteral("  (") + volume.displayName() + QStringLiteral(")");
            auto* item = new QListWidgetItem(label, list);
            item->setData(Qt::UserRole, volume.rootPath());
        }
        if (list->count() > 0) list->setCurrentRow(0);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(list);
        layout->addWidget(buttons);
        dialog.resize(480, 300);
        if (dialog.exec() != QDialog::Accepted || !list->currentItem()) return {};
        return list->currentItem()->data(Qt::UserRole).toString();
    }
    QString SaveFile(QWidget* parent, const QString& title, const QString& filter,
                     const QString& start) override {
        return QFileDialog::getSaveFileName(parent, title, start, filter, nullptr, kFilterNamesOnly);
    }
    QString SaveFileUnconfirmed(QWidget* parent, const QString& title, const QString& filter,
                                const QString& start) override {
        return QFileDialog::getSaveFileName(parent, title, start, filter, nullptr,
                                            kFilterNamesOnly | QFileDialog::DontConfirmOverwrite);
    }
};

class DesktopUrlOpener final : public UrlOpener {
public:
    bool Open(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

class DesktopProcessLauncher final : public ProcessLauncher {
public:
    bool StartDetached(const QString& program, const QStringList& arguments) override {
        return QProcess::startDetached(program, arguments);
    }
};

class DesktopColorChooser final : public ColorChooser {
public:
    std::optional<QColor> Choose(QWidget* parent, const QColor& initial) override {
        const QColor chosen = QColorDialog::getColor(initial, parent);
        if (!chosen.isValid()) return std::nullopt;
        return chosen;
    }
};

void desktopBeep() {
    QApplication::beep();
}
} // namespace

class DesktopTextInput final : public TextInput {
public:
    std::optional<QString> Password(QWidget* parent, const QString& title, const QString& prompt) override {
        bool ok = false;
        const QString text =
            QInputDialog::getText(parent, title, prompt, QLineEdit::Password, QString(), &ok);
        if (!ok) return std::nullopt;
        return text;
    }
};

Services Services::Desktop() {
    static DesktopMessenger messenger;
    static DesktopPathChooser paths;
    static DesktopUrlOpener urls;
    static DesktopProcessLauncher processes;
    static DesktopColorChooser colors;
    static DesktopTextInput texts;
    Services services;
    services.messenger = &messenger;
    services.paths = &paths;
    services.urls = &urls;
    services.processes = &processes;
    services.colors = &colors;
    services.texts = &texts;
    services.beep = desktopBeep;
    return services;
}
