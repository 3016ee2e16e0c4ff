#include "store/RecoveryCopyText.h"

#include "store/FileErrors.h"
#include "store/IniDocument.h"
#include "store/TaxpayerDataFile.h"
#include "store/TaxpayerTextWriter.h"
#include "store/WholeFileReader.h"

#include <QFile>

#include <algorithm>

namespace {

constexpr std::string_view kSection = "Odzyskiwanie";
constexpr const char* kTimeFormat = "yyyy-MM-dd HH:mm:ss";
// The head is small; the first taxpayer section ends it.
constexpr qint64 kHeadLimit = 16 * 1024;
constexpr std::string_view kFirstTaxpayerLine = "\r\n[s1]\r\n";
constexpr std::string_view kParametersLine = "\r\n[Parametry]\r\n";

std::string flag(bool value) { return value ? "1" : "0"; }

// The file name as ASCII, so that any name (also one the code page lacks) comes back exactly.
std::string encodedName(const QString& fileName) { return fileName.toUtf8().toPercentEncoding().toStdString(); }

QString decodedName(const std::string& text) {
    return QString::fromUtf8(QByteArray::fromPercentEncoding(QByteArray::fromStdString(text)));
}

// Where the taxpayer sections begin: after the head's last line.
std::size_t taxpayersStart(std::string_view text) {
    std::size_t at = text.find(kFirstTaxpayerLine);
    if (at == std::string_view::npos) at = text.find(kParametersLine);
    return at == std::string_view::npos ? std::string_view::npos : at + 2;
}

bool readInfo(const IniDocument& head, RecoveryCopyInfo& info) {
    if (!head.hasSection(kSection)) return false;
    const QDateTime madeAt = QDateTime::fromString(QString::fromLatin1(head.readString(kSection, "Zapisano", "")),
                                                   QString::fromLatin1(kTimeFormat));
    const std::int32_t count = head.readInteger(kSection, "LiczbaPodatnikow", -1);
    if (!madeAt.isValid() || count < 0) return false;
    info.dataFileName = decodedName(head.readString(kSection, "Plik", ""));
    info.madeAt = madeAt;
    info.taxpayerCount = count;
    info.taxpayersSaved = head.readString(kSection, "PodatnicyZapisani", "0") == "1";
    info.payerSaved = head.readString(kSection, "PlatnikZapisany", "0") == "1";
    return true;
}

}  // namespace

RecoveryCopyBuilder::RecoveryCopyBuilder(const Workspace& workspace, const QDateTime& madeAt)
    : workspace_(workspace), total_(workspace.taxpayers.count()) {
    IniDocument head;
    head.writeString(kSection, "Plik", encodedName(workspace.dataFileName));
    head.writeString(kSection, "Zapisano", madeAt.toString(QString::fromLatin1(kTimeFormat)).toStdString());
    head.writeInteger(kSection, "LiczbaPodatnikow", total_);
    head.writeString(kSection, "PodatnicyZapisani", flag(workspace.taxpayersSaved));
    head.writeString(kSection, "PlatnikZapisany", flag(workspace.payerSaved));
    head.writeInteger(kSection, "Sortowanie", static_cast<int>(workspace.taxpayers.sortKey()));
    head.writeString(kSection, "Regon", workspace.payer.regon.view());
    WritePayerSection(head, workspace.payer);
    text_ = head.serialize();
}

bool RecoveryCopyBuilder::step(int count) {
    const TaxpayerRegister& taxpayers = workspace_.taxpayers;
    if (abandoned_ || taxpayers.count() != total_) {
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

std::string RecoveryCopyText(const Workspace& workspace, const QDateTime& madeAt) {
    RecoveryCopyBuilder builder(workspace, madeAt);
    builder.step(workspace.taxpayers.count());
    return builder.take();
}

bool ReadRecoveryCopyInfo(const QString& fileName, RecoveryCopyInfo& info) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray start = file.read(kHeadLimit);
    const std::string_view text(start.constData(), static_cast<std::size_t>(start.size()));
    const std::size_t end = taxpayersStart(text);
    if (end == std::string_view::npos) return false;
    return readInfo(IniDocument::parse(text.substr(0, end)), info);
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
    const std::string_view text = bytes ? bytes->view() : std::string_view();
    const std::size_t end = taxpayersStart(text);
    if (end == std::string_view::npos) return fail(damaged);
    const IniDocument head = IniDocument::parse(text.substr(0, end));
    RecoveryCopyInfo read;
    if (!readInfo(head, read)) return fail(damaged);

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
    if (!LoadFromText(taxpayers, text.substr(end), failure)) return false;
    // A copy cut short would bring back fewer taxpayers than it was made with.
    if (taxpayers.count() != read.taxpayerCount) return fail(damaged);

    workspace.taxpayers = std::move(taxpayers);
    workspace.payer = payer;
    workspace.dataFileName = read.dataFileName;
    workspace.taxpayersSaved = read.taxpayersSaved;
    workspace.payerSaved = read.payerSaved;
    info = read;
    return true;
}
