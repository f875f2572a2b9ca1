// The finishing tasks after a conversion.
#include "converter/job/CompletionRun.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "converter/job/ConversionContext.h"
#include "converter/output/OutputEncoding.h"
#include "converter/output/RegionFileBuilder.h"
#include "converter/source/SourceFiles.h"
#include "kiwi/cmp/CompressionManager.h"
#include "kiwi/cmp/OpenKiwiFile.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/HandleStream.h"
#include "kiwi/parts/FileConManager.h"
#include "platform/CodePage.h"

namespace {

constexpr int64_t kCopyChunk = 4 << 20;

int64_t fileSize(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? int64_t(st.st_size) : -1;
}

const char* const kReadMeLines[] = {
    "Не создавайте новые файлы REGION.KWI и STDVCE.KWI, если в этом нет необходимости.",
    "Файл 05.CMP создается с учетом  нового файла REGION.KWI.",
    "Программа создаёт несжатые файлы. Будьте осторожны при использовании их со старым файлом 05.CMP.",
    "Используйте новый файл 05.CMP, если он был создан программой.",
    "Файл FILECON.MNG создается с учетом новых размеров ALLDATA.KWI.",
};

// The volumes of an earlier split in folder: plain files "ALLDATA1.KWI" on without a gap, each of
// volumeBytes but the last, which holds 1 to volumeBytes. Files of those names that do not make such a
// set are not volumes, whatever their names: empty then. (A file past a gap is never read as a volume.)
std::vector<std::string> earlierVolumes(const std::string& folder, int64_t volumeBytes) {
    std::vector<std::string> set;
    int64_t last = 0;
    struct stat st {};
    for (int n = 1; n <= 15; ++n) {
        const std::string path = FindInFolder(folder, VolumeName(n));
        if (path.empty() || ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) break;
        if (!set.empty() && last != volumeBytes) return {};
        set.push_back(path);
        last = int64_t(st.st_size);
    }
    if (last <= 0 || last > volumeBytes) return {};
    return set;
}

} // namespace

std::string VolumeName(int number) {
    return "ALLDATA" + std::to_string(number) + ".KWI";
}

int CompletionRun::split(ConversionProgress& progress, const std::atomic<bool>& stop) {
    const std::string folder = FolderOf(options_.outputPath);
    const int64_t size = fileSize(options_.outputPath);
    const int volumes = int(std::max<int64_t>(1, (size + options_.volumeBytes - 1) / options_.volumeBytes));
    auto input = TLN_HandleStream::OpenForReading(options_.outputPath);
    std::vector<std::unique_ptr<ProducedFile>> parts;
    std::vector<uint8_t> buffer(size_t(std::min<int64_t>(kCopyChunk, std::max<int64_t>(size, 1))));
    int64_t done = 0;
    for (int n = 1; n <= volumes; ++n) {
        const std::string path = folder + "/" + VolumeName(n);
        if (const Failure why = guard_.RefusalFor(path)) throw EFCreateError(why);
        parts.push_back(std::make_unique<ProducedFile>(path, opener_));
        const int64_t end = std::min(size, done + options_.volumeBytes);
        TLN_Stream& out = parts.back()->Stream();
        for (int64_t at = done; at < end;) {
            if (stop.load()) throw ConversionStopped();
            const int64_t count = std::min<int64_t>(end - at, int64_t(buffer.size()));
            input->ReadExactAt(at, buffer.data(), count);
            out.WriteAt(at - done, buffer.data(), count);
            at += count;
            progress.SetProgress1(at, size);
        }
        // Written out now, so that a full disk shows before any volume replaces anything.
        parts.back()->Flush();
        if (out.Size() != end - done)
            throw EWriteError(Failure(FailureCode::OutputShortVolume, {{"file", path}}));
        done = end;
    }
    // Every volume is complete: only now do they replace the unsplit file and any earlier volumes.
    const std::vector<std::string> stale = earlierVolumes(folder, options_.volumeBytes);
    // A file named as the next volume would be read as one; only a volume of an earlier split goes.
    if (stale.size() <= size_t(volumes))
        if (const std::string next = FindInFolder(folder, VolumeName(volumes + 1)); !next.empty())
            throw EWriteError(Failure(FailureCode::NotAVolumeInTheWay, {{"file", next}}));
    for (auto& part : parts)
        part->Commit();
    for (size_t n = size_t(volumes); n < stale.size(); ++n)
        ::unlink(stale[n].c_str());
    input.reset();
    if (::unlink(options_.outputPath.c_str()) != 0)
        throw EWriteError(Failure(FailureCode::OutputRemoveFailed, Failure::System(errno),
                                  {{"file", options_.outputPath}}));
    progress.AddLog("ALLDATA.KWI split into " + std::to_string(volumes) + " volume(s)");
    return volumes;
}

void CompletionRun::writeFileCon(ConversionProgress& progress, int volumes) {
    const std::string source = FindBesideSource(options_.sourcePath, "FILECON.MNG");
    if (source.empty())
        return passOver(progress, Failure(FailureCode::NoneBesideSource, {{"file", "FILECON.MNG"}}));
    TLN_FileConManager table(source);
    if (!table.IsValid()) throw EConvertError(Failure(FailureCode::FileConInvalid));
    // The table lists the files this run wrote, at the place of the first old "ALLDATA.KWI" record: the
    // volumes, or without a split the one new map (the source's records would name files of other sizes,
    // or volumes that are not there).
    int first = table.Count();
    for (int i = 0; i < table.Count(); ++i)
        if (table.GetRecord(i).LogicalName == "ALLDATA.KWI") {
            first = i;
            break;
        }
    for (int i = table.Count() - 1; i >= first; --i)
        if (table.GetRecord(i).LogicalName == "ALLDATA.KWI") table.Delete(i);
    const std::string folder = FolderOf(options_.outputPath);
    std::vector<std::string> files;
    for (int k = 0; k < volumes; ++k)
        files.push_back(VolumeName(k + 1));
    if (volumes == 0) files.push_back(options_.outputPath.substr(options_.outputPath.find_last_of('/') + 1));
    for (size_t k = 0; k < files.size(); ++k) {
        const int64_t size = fileSize(folder + "/" + files[k]);
        if (size < 0 || size > 0xFFFFFFFFll)
            throw EConvertError(Failure(FailureCode::FileConCannotList, {{"file", files[k]}}));
        table.Insert(first + int(k), {uint8_t(16 * k), "ALLDATA.KWI", files[k], uint32_t(size)});
    }
    const QByteArray bytes = table.Serialize();
    WriteProducedFile(FolderOf(options_.outputPath) + "/FILECON.MNG",
                      std::string(bytes.constData(), size_t(bytes.size())), opener_);
    progress.AddLog("FILECON.MNG written");
}

void CompletionRun::writeRegion(ConversionProgress& progress, const std::atomic<bool>& stop) {
    const std::string source = FindBesideSource(options_.sourcePath, "REGION.KWI");
    if (source.empty())
        return passOver(progress, Failure(FailureCode::NoneBesideSource, {{"file", "REGION.KWI"}}));
    const TLN_RegionManager regions(source);
    if (!regions.IsValid()) throw EConvertError(Failure(FailureCode::RegionInvalid));
    {
        ProducedFile file(FolderOf(options_.outputPath) + "/REGION.KWI", opener_);
        // A region whose frame the source does not hold whole is kept without it, and the user hears so.
        const int64_t size = BuildRegionFile(
            regions, options_.regions, file.Stream(),
            [&](int percent) { progress.SetProgress1(percent, 100); }, stop,
            [&](const ERegionDataShort& why) {
                passOver(progress, Failure(FailureCode::RegionKeptWithoutFrame, why.Reason()));
            });
        file.Stream().SetSize(AlignUp32(size));
        file.Commit();
    }
    progress.AddLog("REGION.KWI written");
    // The list written beside the new map must not call the new, uncompressed REGION.KWI compressed.
    if (options_.newCmpList.empty()) return;
    TLN_CompressionManager list(options_.newCmpList);
    TLN_Compression_Record entry;
    if (!list.IsValid() || !list.FindEntry(FolderOf(options_.outputPath) + "/REGION.KWI", entry) ||
        entry.entryPosition < 0)
        return;
    const auto& stream = list.ListStream();
    std::string bytes(static_cast<size_t>(stream->Size()), '\0');
    stream->ReadExactAt(0, bytes.data(), int64_t(bytes.size()));
    if (entry.entryPosition + 6 > int64_t(bytes.size())) return;
    std::fill_n(bytes.begin() + entry.entryPosition, 6, '\0');
    WriteProducedFile(options_.newCmpList, bytes, opener_);
    progress.AddLog("REGION.KWI entry cleared in " + options_.newCmpList);
}

void CompletionRun::writeVoice(ConversionProgress& progress, const std::atomic<bool>& stop) {
    // The copy is of voice data inside the source's ALLDATA.KWI; a VOICEDAT.KWI beside the map serves the
    // new map as it is.
    if (options_.voiceSize <= 0) {
        const bool beside = !FindBesideSource(options_.sourcePath, "VOICEDAT.KWI").empty();
        return passOver(progress, beside ? FailureCode::VoiceInVoiceDat : FailureCode::NoVoiceInAllData);
    }
    const auto source = OpenKiwiFile(options_.sourcePath);
    ProducedFile file(FolderOf(options_.outputPath) + "/STDVCE.KWI", opener_);
    std::vector<uint8_t> buffer(size_t(std::min<int64_t>(kCopyChunk, options_.voiceSize)));
    for (int64_t done = 0; done < options_.voiceSize;) {
        if (stop.load()) throw ConversionStopped();
        const int64_t count = std::min<int64_t>(options_.voiceSize - done, int64_t(buffer.size()));
        source->ReadExactAt(options_.voiceOffset + done, buffer.data(), count);
        file.Stream().WriteAt(done, buffer.data(), count);
        done += count;
        progress.SetProgress1(done, options_.voiceSize);
    }
    file.Stream().SetSize(AlignUp32(options_.voiceSize));
    file.Commit();
    progress.AddLog("STDVCE.KWI written");
}

void CompletionRun::passOver(ConversionProgress& progress, const PassedOverNote& note) {
    progress.AddLog("WARNING: " + note.why.English());
    notes_.push_back(note);
}

void CompletionRun::writeReadMe() {
    QString text;
    for (const char* line : kReadMeLines)
        text += QString::fromUtf8(line) + QStringLiteral("\r\n");
    const QByteArray bytes = encodeToCodePage(text, kAnsiCodePage);
    WriteProducedFile(FolderOf(options_.outputPath) + "/ReadMe.txt",
                      std::string(bytes.constData(), size_t(bytes.size())), opener_);
}

ConversionResult CompletionRun::Execute(ConversionProgress& progress, const std::atomic<bool>& stop) {
    ConversionResult result;
    guard_.ProtectFile(options_.sourcePath);
    auto refuse = [&](const Failure& why) {
        result.SetFailure(ConversionStatus::Refused, why);
        progress.AddLog("ERROR: " + result.message);
        return result;
    };
    if (const Failure why = guard_.RefusalFor(options_.outputPath)) return refuse(why);
    if (options_.split) {
        const int64_t size = fileSize(options_.outputPath);
        if (size < 0) return refuse(Failure(FailureCode::OutputMissing, {{"file", options_.outputPath}}));
        if (size > kMaxVolumes * options_.volumeBytes)
            return refuse(Failure(FailureCode::TooManyVolumes, {{"size", size}, {"volumes", kMaxVolumes}}));
    }
    try {
        const int volumes = options_.split ? split(progress, stop) : 0;
        if (stop.load()) throw ConversionStopped();
        if (options_.region) writeRegion(progress, stop);
        if (stop.load()) throw ConversionStopped();
        if (options_.voice) writeVoice(progress, stop);
        if (stop.load()) throw ConversionStopped();
        if (options_.fileCon) writeFileCon(progress, volumes);
        if (stop.load()) throw ConversionStopped();
        writeReadMe();
        result.status = ConversionStatus::Done;
        result.notes = notes_;
    } catch (const ConversionStopped&) {
        result.SetFailure(ConversionStatus::Stopped, FailureCode::Stopped);
    } catch (const std::exception& e) {
        result.SetFailure(ConversionStatus::Failed, FailureOf(e, options_.outputPath));
        progress.AddLog("ERROR: " + result.message);
    }
    return result;
}
