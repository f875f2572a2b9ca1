// kiwiprobe iso-ls / iso-extract: the file listing the ISO reader builds, and single-file extraction.
#include <cstdio>
#include <filesystem>
#include <string>

#include "ProbeCommand.h"
#include "ProbeOutput.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/iso/ISOImage.h"

namespace {
void listDirectory(const TDirectoryEntry* directory) {
    for (int i = 0; i < directory->FileCount(); ++i) {
        const TFileEntry* file = directory->GetFile(i);
        std::printf("%s\t%s\t%u\n", file->GetDirectoryPath().c_str(), file->Name().c_str(),
                    file->DataLength());
    }
    for (int i = 0; i < directory->DirectoryCount(); ++i)
        listDirectory(directory->GetDirectory(i));
}

// One line per file: folder path ("\"-terminated names, empty at the root), name, size in bytes.
int isoListCommand(const probe::Args& args) {
    if (!probe::oneArgument(args.words(), "iso-ls: give IMAGE")) return 2;
    std::error_code error;
    if (!std::filesystem::is_regular_file(args.words()[0], error)) {
        std::fprintf(stderr, "iso-ls: %s: not found\n", args.words()[0].c_str());
        return 1;
    }
    TISOImage image(args.words()[0]);
    if (!image.OpenImage()) {
        std::fprintf(stderr, "iso-ls: unsupported sector layout\n");
        return 1;
    }
    listDirectory(image.Tree()->Root());
    return 0;
}

// Finds a file by a "/" or "\" separated path, each component matched case-insensitively.
const TFileEntry* findFile(const TDirectoryEntry* directory, const std::string& path) {
    std::string rest = path;
    while (!rest.empty()) {
        const size_t cut = rest.find_first_of("/\\");
        const std::string component = rest.substr(0, cut);
        rest = cut == std::string::npos ? std::string() : rest.substr(cut + 1);
        if (component.empty()) continue;
        if (rest.find_first_not_of("/\\") == std::string::npos) {
            for (int i = 0; i < directory->FileCount(); ++i)
                if (equalsIgnoreCase(directory->GetFile(i)->Name(), component)) return directory->GetFile(i);
            return nullptr;
        }
        const TDirectoryEntry* next = nullptr;
        for (int i = 0; i < directory->DirectoryCount() && !next; ++i)
            if (equalsIgnoreCase(directory->GetDirectory(i)->Name(), component))
                next = directory->GetDirectory(i);
        if (!next) return nullptr;
        directory = next;
    }
    return nullptr;
}

int isoExtractCommand(const probe::Args& args) {
    const auto& words = args.words();
    if (words.size() != 3) {
        std::fprintf(stderr, "iso-extract: give IMAGE PATH OUT\n");
        return 2;
    }
    if (!probe::readableSource("iso-extract", words[0])) return 1;
    TISOImage image(words[0]);
    if (!image.OpenImage()) {
        std::fprintf(stderr, "iso-extract: %s: unsupported sector layout\n", words[0].c_str());
        return 1;
    }
    const TFileEntry* entry = findFile(image.Tree()->Root(), words[1]);
    if (!entry) {
        std::fprintf(stderr, "iso-extract: %s not found in the image\n", words[1].c_str());
        return 1;
    }
    if (!image.ExtractFile(entry, words[2])) {
        std::fprintf(stderr, "iso-extract: %s\n", image.ErrorString().c_str());
        return 1;
    }
    std::printf("%s%s\t%u\n", entry->GetDirectoryPath().c_str(), entry->Name().c_str(), entry->DataLength());
    return 0;
}

probe::Register listRegistration("iso-ls", "IMAGE", "Every file of an ISO 9660 image: folder, name, size.",
                                 isoListCommand);
probe::Register extractRegistration("iso-extract", "IMAGE PATH OUT",
                                    "Writes the file PATH of the image to OUT.", isoExtractCommand);
} // namespace
