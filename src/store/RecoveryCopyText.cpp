#include "store/RecoveryCopyText.h"

#include "store/FileErrors.h"
#include "store/IniDocument.h"
#include "store/TaxpayerDataFile.h"
#include "store/TaxpayerTextWriter.h"
#include "store/WholeFileReader.h"

#include <QByteArrayView>
#include <QCryptographicHash>

#include <algorithm>
#include <charconv>
#include <optional>

namespace {

constexpr std::string_view kSection = "Odzyskiwanie";
constexpr const char* kTimeFormat = "yyyy-MM-dd HH:mm:ss";
constexpr std::string_view kFirstTaxpayerLine = "\r\n[s1]\r\n";
constexpr std::string_view kParametersLine = "\r\n[Parametry]\r\n";
// The copy's end, written last: "[Koniec]", the number of taxpayers and the checksum.
constexpr std::string_view kSealLine = "[Koniec]\r\n";
constexpr std::string_view kSealCount = "LiczbaPodatnikow=";
constexpr std::string_view kSealSum = "SHA256=";
constexpr std::string_view kLineEnd = "\r\n";

std::string flag(bool value) { return value ? "1" : "0"; }

// The file name as ASCII, so that any name (also one the code page lacks) comes back exactly.
std::string encodedName(const QString& fileName) { return fileName.toUtf8().toPercentEncoding().toStdString(); }

QString decodedName(const std::string& text) {
    return QString::fromUtf8(QByteArray::fromPercentEncoding(QByteArray::fromStdString(text)));
}

std::string checksum(std::string_view bytes) {
    return QCryptographicHash::hash(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                    QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

bool consume(std::string_view& text, std::string_view expected) {
    if (text.substr(0, expected.size()) != expected) return false;
    text.remove_prefix(expected.size());
    return true;
}

// The text before the seal, when the text ends with a seal that agrees with it; `count` is the
// number of taxpayers the seal names.
std::optional<std::string_view> sealedBody(std::string_view text, int& count) {
    const std::size_t at = text.rfind(kSealLine);
    if (at == std::string_view::npos || (at > 0 && text[at - 1] != '\n')) return std::nullopt;
    std::string_view rest = text.substr(at + kSealLine.size());
    if (!consume(rest, kSealCount)) return std::nullopt;
    const std::size_t digits = rest.find(kLineEnd);
    if (digits == std::string_view::npos || digits == 0) return std::nullopt;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + digits, count);
    if (error != std::errc() || end != rest.data() + digits || count < 0) return std::nullopt;
    rest.remove_prefix(digits + kLineEnd.size());
    const std::string_view body = text.substr(0, at);
    if (!consume(rest, kSealSum) || !consume(rest, checksum(body)) || rest != kLineEnd) return std::nullopt;
    return body;
}

// Where the taxpayer sections begin: after the head's last line.
std::size_t taxpayersStart(std::string_view text) {
    std::size_t at = text.find(kFirstTaxpayerLine);
    if (at == std::string_view::npos) at = text.find(kParametersLine);
    return at == std::string_view::npos ? std::string_view::npos : at + 2;
}

// The head of a copy's text; false when it has none or it says nothing usable.
bool readHead(std::string_view text, IniDocument& head, RecoveryCopyInfo& info) {
    const std::size_t end = taxpayersStart(text);
    if (end == std::string_view::npos) return false;
    head = IniDocument::parse(text.substr(0, end));
    if (!head.hasSection(kSection)) return false;
    const QDateTime madeAt = QDateTime::fromString(QString::fromLatin1(head.readString(kSection, "Zapisano", "")),
                                                   QString::fromLatin1(kTimeFormat));
    const std::int32_t count = head.readInteger(kSection, "LiczbaPodatnikow", -1);
    if (!madeAt.isValid() || count < 0) return false;
    RecoveryCopyInfo read;
    read.dataFileName = decodedName(head.readString(kSection, "Plik", ""));
    read.madeAt = madeAt;
    read.taxpayerCount = count;
    read.taxpayersSaved = head.readString(kSection, "PodatnicyZapisani", "0") == "1";
    read.payerSaved = head.readString(kSection, "PlatnikZapisany", "0") == "1";
    read.holder.process.id = head.readInteger(kSection, "Proces", 0);
    read.holder.process.started = QByteArray::fromStdString(head.readString(kSection, "StartProcesu", "0")).toULongLong();
    read.holder.boot = head.readString(kSection, "Rozruch", "");
    info = read;
    return true;
}

}  // namespace

RecoveryCopyBuilder::RecoveryCopyBuilder(const Workspace& workspace, const QDateTime& madeAt,
                                         const RecoveryCopyHolder& holder)
    : workspace_(workspace),
      taxpayersRevision_(workspace.taxpayers.revision()),
      workspaceRevision_(workspace.revision.value()),
      total_(workspace.taxpayers.count()) {
    IniDocument head;
    head.writeString(kSection, "Plik", encodedName(workspace.dataFileName));
    head.writeString(kSection, "Zapisano", madeAt.toString(QString::fromLatin1(kTimeFormat)).toStdString());
    head.writeInteger(kSection, "LiczbaPodatnikow", total_);
    head.writeString(kSection, "PodatnicyZapisani", flag(workspace.taxpayersSaved));
    head.writeString(kSection, "PlatnikZapisany", flag(workspace.payerSaved));
    head.writeInteger(kSection, "Sortowanie", static_cast<int>(workspace.taxpayers.sortKey()));
    head.writeString(kSection, "Regon", workspace.payer.regon.view());
    head.writeInteger(kSection, "Proces", holder.process.id);
    head.writeString(kSection, "StartProcesu", std::to_string(holder.process.started));
    head.writeString(kSection, "Rozruch", holder.boot);
    WritePayerSection(head, workspace.payer);
    text_ = head.serialize();
}

bool RecoveryCopyBuilder::dataMovedOn() const {
    return workspace_.taxpayers.revision() != taxpayersRevision_ || workspace_.revision.value() != workspaceRevision_;
}

bool RecoveryCopyBuilder::step(int count) {
    const TaxpayerRegister& taxpayers = workspace_.taxpayers;
    // Slices of two states of the data (a sort in between) would hold some taxpayers twice and
    // others not at all.
    if (abandoned_ || dataMovedOn()) {
        abandoned_ = true;
        return true;
    }
    const int end = count >= total_ - next_ ? total_ : next_ + count;
    std::size_t sliceBytes = 64;
    for (int i = next_; i < end; ++i) sliceBytes += TaxpayerTextWriter::estimatedSize(taxpayers.at(i));
    if (text_.size() + sliceBytes > text_.capacity()) {
        // Room for the rest at this slice's rate, so that the text is seldom moved in memory.
        const auto left = static_cast<std::size_t>(total_ - next_);
        const std::size_t rest = sliceBytes / static_cast<std::size_t>(end - next_ + 1) * (left + 1) / 8 * 9;
        text_.reserve(text_.size() + std::max(sliceBytes, rest));
    }
    TaxpayerTextWriter writer(text_);
    for (; next_ < end; ++next_) writer.record(taxpayers.at(next_), static_cast<std::size_t>(next_) + 1);
    if (next_ < total_) return false;
    writer.parameters(static_cast<std::size_t>(total_));
    return true;
}

std::string RecoveryCopyText(const Workspace& workspace, const QDateTime& madeAt, const RecoveryCopyHolder& holder) {
    RecoveryCopyBuilder builder(workspace, madeAt, holder);
    builder.step(workspace.taxpayers.count());
    std::string text = builder.take();
    SealRecoveryCopy(text, builder.taxpayerCount());
    return text;
}

void SealRecoveryCopy(std::string& text, int taxpayerCount) {
    std::string seal(kSealLine);
    seal.append(kSealCount).append(std::to_string(taxpayerCount)).append(kLineEnd);
    seal.append(kSealSum).append(checksum(text)).append(kLineEnd);
    text.append(seal);
}

bool ReadRecoveryCopyInfo(const QString& fileName, RecoveryCopyInfo& info) {
    std::optional<FileBytes> bytes;
    try {
        bytes = ReadWholeFileBytes(fileName);
    } catch (const FileError&) {
        return false;
    }
    if (!bytes) return false;
    const std::string_view text = bytes->view();
    int sealCount = -1;
    const std::optional<std::string_view> body = sealedBody(text, sealCount);
    RecoveryCopyInfo read;
    IniDocument head;
    const bool headRead = readHead(body ? *body : text, head, read);
    read.whole = body && headRead && sealCount == read.taxpayerCount;
    info = read;
    return true;
}

bool LoadRecoveryCopy(const QString& fileName, Workspace& workspace, RecoveryCopyInfo& info, QString* failure) {
    const auto fail = [failure](const QString& why) {
        if (failure) *failure = why;
        return false;
    };
    const QString damaged = QStringLiteral("Kopia „%1” jest niepełna lub uszkodzona.").arg(fileName);
    std::optional<FileBytes> bytes;
    try {
        bytes = ReadWholeFileBytes(fileName);
    } catch (const FileError& error) {
        return fail(error.message());
    }
    int sealCount = -1;
    const std::optional<std::string_view> sealed = sealedBody(bytes ? bytes->view() : std::string_view(), sealCount);
    if (!sealed) return fail(damaged);
    const std::string_view text = *sealed;
    IniDocument head;
    RecoveryCopyInfo read;
    if (!readHead(text, head, read) || read.taxpayerCount != sealCount) return fail(damaged);
    read.whole = true;

    PayerRecord payer;
    try {
        ReadPayerSection(head, payer, fileName);
    } catch (const ConversionError& error) {
        return fail(error.message());
    }
    payer.regon.assign(head.readString(kSection, "Regon", ""));
    TaxpayerRegister taxpayers;
    taxpayers.setRecordLimit(workspace.taxpayers.recordLimit());
    const std::int32_t sortKey = head.readInteger(kSection, "Sortowanie", 0);
    if (sortKey >= 0 && sortKey <= static_cast<int>(TaxpayerSortKey::SortByPesel))
        taxpayers.Sort(static_cast<TaxpayerSortKey>(sortKey));
    // In the order they were in, which the sort key alone need not give back (equal keys, a
    // record edited in place since the last sort).
    if (!LoadFromTextInWrittenOrder(taxpayers, text.substr(taxpayersStart(text)), failure)) return false;
    // Every taxpayer once: as many as the copy was made with.
    if (taxpayers.count() != read.taxpayerCount) return fail(damaged);

    workspace.taxpayers = std::move(taxpayers);
    workspace.payer = payer;
    workspace.dataFileName = read.dataFileName;
    workspace.taxpayersSaved = read.taxpayersSaved;
    workspace.payerSaved = read.payerSaved;
    info = read;
    return true;
}
