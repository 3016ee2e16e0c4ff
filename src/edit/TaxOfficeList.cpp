#include "edit/TaxOfficeList.h"

#include "store/Cp1250.h"
#include "store/LegacyTextEncoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kFileName = QStringLiteral("us.lst");

// Text that code page 1250 can hold: other characters become "?", visibly.
QString KeepCp1250(const QString& text) {
    QString result = text;
    for (QChar& ch : result) {
        if (!cp1250::canEncode(ch))
            ch = u'?';
    }
    return result;
}

QString DecodeLine(const QByteArray& line, bool utf8) {
    if (!utf8)
        return cp1250::toUnicode(std::string_view(line.constData(), static_cast<std::size_t>(line.size())));
    return KeepCp1250(QString::fromUtf8(line));
}

// The source folder recorded in the CMake cache of a build tree that holds `dir`, if any.
QString SourceTreeOf(const QString& dir) {
    QDir current(dir);
    for (int depth = 0; depth < 6; ++depth) {
        QFile cache(current.filePath(QStringLiteral("CMakeCache.txt")));
        if (cache.open(QIODevice::ReadOnly | QIODevice::Text)) {
            const QByteArray key = "CMAKE_HOME_DIRECTORY:INTERNAL=";
            while (!cache.atEnd()) {
                const QByteArray line = cache.readLine(4096).trimmed();
                if (line.startsWith(key))
                    return QString::fromLocal8Bit(line.mid(key.size()));
            }
            return {};
        }
        if (!current.cdUp())
            break;
    }
    return {};
}

}  // namespace

QStringList TaxOfficeList::parse(const QByteArray& bytes, bool* binary) {
    if (binary)
        *binary = false;
    QByteArray text = bytes;
    const bool utf8 = IsCertainlyUtf8(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);

    QStringList lines;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        const bool lastLine = end < 0;
        if (lastLine)
            end = text.size();
        QByteArray line = text.mid(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.contains('\0')) {
            if (binary)
                *binary = true;
            break;
        }
        lines.append(DecodeLine(line, utf8));
        start = end + 1;
    }
    return lines;
}

TaxOfficeList::LoadResult TaxOfficeList::load(const QStringList& candidates) {
    LoadResult result;
    for (const QString& path : candidates) {
        const QFileInfo info(path);
        if (!info.exists())
            continue;
        result.path = path;
        if (info.isDir()) {
            result.error = QStringLiteral("Nie można odczytać listy urzędów skarbowych \"%1\": to jest folder, "
                                          "nie plik.").arg(path);
            return result;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            result.error = QStringLiteral("Nie można odczytać listy urzędów skarbowych z pliku \"%1\" (%2). "
                                          "Urząd można wpisać ręcznie.").arg(path, file.errorString());
            return result;
        }
        const QByteArray bytes = file.read(kMaxFileSize + 1);
        if (file.error() != QFileDevice::NoError) {
            result.error = QStringLiteral("Błąd odczytu listy urzędów skarbowych z pliku \"%1\" (%2). "
                                          "Wczytano tylko jej część.").arg(path, file.errorString());
        }
        const bool tooBig = bytes.size() > kMaxFileSize;
        bool binary = false;
        entries_ += parse(tooBig ? bytes.left(bytes.lastIndexOf('\n', kMaxFileSize) + 1) : bytes, &binary);
        if (binary) {
            result.error = QStringLiteral("Plik \"%1\" nie jest listą urzędów skarbowych (zawiera dane binarne). "
                                          "Wczytano tylko wiersze sprzed uszkodzonego miejsca.").arg(path);
        } else if (tooBig) {
            result.error = QStringLiteral("Plik \"%1\" jest za duży na listę urzędów skarbowych. "
                                          "Wczytano tylko jego pierwszy megabajt.").arg(path);
        }
        return result;
    }
    return result;
}

QStringList TaxOfficeList::defaultCandidates(const QString& applicationDir) {
    QStringList candidates{QDir::current().filePath(kFileName),
                           QStringLiteral(FISKON_DATA_DIR "/") + kFileName};
    if (!applicationDir.isEmpty()) {
        const QString source = SourceTreeOf(applicationDir);
        if (!source.isEmpty())
            candidates.append(QDir(source).filePath(QStringLiteral("resources/") + kFileName));
    }
    return candidates;
}

bool TaxOfficeList::contains(const QString& office) const {
    return entries_.contains(office, Qt::CaseInsensitive);
}

bool TaxOfficeList::addIfNew(const QString& office) {
    if (office.isEmpty() || contains(office))
        return false;
    entries_.append(office);
    return true;
}

QString TaxOfficeList::searchKey(const QString& text) {
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString key;
    key.reserve(decomposed.size());
    for (const QChar ch : decomposed) {
        if (ch.category() == QChar::Mark_NonSpacing) continue;
        // Letters with a stroke have no decomposition.
        if (ch == u'ł' || ch == u'Ł') key += u'l';
        else if (ch == u'đ' || ch == u'Đ') key += u'd';
        else key += ch;
    }
    return key.toCaseFolded();
}

bool TaxOfficeList::matches(const QString& office, const QString& typed) {
    return searchKey(office).contains(searchKey(typed));
}
